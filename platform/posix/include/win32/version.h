/// Version resources of the machine model's files: the size of a file's
/// version block, a copy of it, and the lookup of its values by sub-block path.
#pragma once

#include "win32/base_types.h"

typedef UINT* PUINT;

/// The fixed part of a version resource: 13 32-bit values, 52 bytes.
typedef struct tagVS_FIXEDFILEINFO {
  DWORD dwSignature;  // VS_FFI_SIGNATURE
  DWORD dwStrucVersion;
  DWORD dwFileVersionMS;
  DWORD dwFileVersionLS;
  DWORD dwProductVersionMS;
  DWORD dwProductVersionLS;
  DWORD dwFileFlagsMask;
  DWORD dwFileFlags;
  DWORD dwFileOS;
  DWORD dwFileType;
  DWORD dwFileSubtype;
  DWORD dwFileDateMS;
  DWORD dwFileDateLS;
} VS_FIXEDFILEINFO;

#define VS_FFI_SIGNATURE 0xFEEF04BDL
#define VS_FFI_STRUCVERSION 0x00010000L
#define VS_FFI_FILEFLAGSMASK 0x0000003FL
#define VOS_NT_WINDOWS32 0x00040004L
#define VFT_UNKNOWN 0x00000000L
#define VFT_APP 0x00000001L
#define VFT_DLL 0x00000002L
#define VFT_DRV 0x00000003L

/// The size of the buffer GetFileVersionInfoA needs for the file's version
/// block (the block and room for the 8-bit copies of its texts); 0 when the
/// file is missing (ERROR_FILE_NOT_FOUND) or has no version resource
/// (ERROR_RESOURCE_TYPE_NOT_FOUND). *lpdwHandle, when given, is set to 0.
DWORD GetFileVersionInfoSizeA(LPCSTR lptstrFilename, LPDWORD lpdwHandle);

/// Copies the file's version block into `lpData`. `dwLen` must be at least the
/// size GetFileVersionInfoSizeA gave (ERROR_INSUFFICIENT_BUFFER otherwise):
/// the lookups below rely on the whole block and the room behind it.
BOOL GetFileVersionInfoA(LPCSTR lptstrFilename, DWORD dwHandle, DWORD dwLen, LPVOID lpData);

/// Looks up a value of a block that GetFileVersionInfoA filled. `lpSubBlock`
/// names it by path, names in any letter case: "\" gives the VS_FIXEDFILEINFO
/// (*puLen bytes), "\VarFileInfo\Translation" the array of 16-bit language and
/// 16-bit code page pairs (*puLen bytes), "\StringFileInfo\040904b0\Name" a
/// text converted to the machine's ANSI code page (*puLen characters with its
/// NUL). FALSE when the block has no such value.
BOOL VerQueryValueA(LPCVOID pBlock, LPCSTR lpSubBlock, LPVOID* lplpBuffer, PUINT puLen);
