/// Security identifiers and the lookup of the account one names, over the
/// machine model's accounts.
#pragma once

#include "win32/base_types.h"

#define ERROR_INVALID_SID 1337L

#define SID_REVISION 1
#define SID_MAX_SUB_AUTHORITIES 15

typedef struct _SID_IDENTIFIER_AUTHORITY {
  BYTE Value[6];
} SID_IDENTIFIER_AUTHORITY;

/// A security identifier: 8 bytes of head, then SubAuthorityCount 32-bit
/// subauthorities.
typedef struct _SID {
  BYTE Revision;
  BYTE SubAuthorityCount;
  SID_IDENTIFIER_AUTHORITY IdentifierAuthority;
  DWORD SubAuthority[1];
} SID;
typedef PVOID PSID;

typedef enum _SID_NAME_USE {
  SidTypeUser = 1,
  SidTypeGroup,
  SidTypeDomain,
  SidTypeAlias,
  SidTypeWellKnownGroup,
  SidTypeDeletedAccount,
  SidTypeInvalid,
  SidTypeUnknown,
  SidTypeComputer,
  SidTypeLabel
} SID_NAME_USE, *PSID_NAME_USE;

/// The account that `Sid` names on the local computer (`lpSystemName` must be
/// null): its name and domain as NUL-terminated texts, and its kind. The
/// sizes are in characters; on entry the buffers' sizes, on return the
/// lengths written (without the NUL). FALSE with ERROR_INSUFFICIENT_BUFFER and
/// the sizes needed (with the NUL) when a buffer is too small; ERROR_INVALID_SID
/// for an identifier whose revision is not 1 or that has more than 15
/// subauthorities; ERROR_NONE_MAPPED when no account has it.
BOOL LookupAccountSidA(LPCSTR lpSystemName, PSID Sid, LPSTR Name, LPDWORD cchName,
                       LPSTR ReferencedDomainName, LPDWORD cchReferencedDomainName,
                       PSID_NAME_USE peUse);
