/// Reading the registry under HKEY_LOCAL_MACHINE: open a key, query a value,
/// close the key. The registry is the machine model's; nothing writes to it.
#pragma once

#include "win32/base_types.h"

typedef DWORD ACCESS_MASK;
typedef ACCESS_MASK REGSAM;
typedef LONG LSTATUS;

// Predefined root keys are sign-extended 32-bit values, as on 64-bit Windows.
#define HKEY_CLASSES_ROOT ((HKEY)(ULONG_PTR)((LONG)0x80000000))
#define HKEY_CURRENT_USER ((HKEY)(ULONG_PTR)((LONG)0x80000001))
#define HKEY_LOCAL_MACHINE ((HKEY)(ULONG_PTR)((LONG)0x80000002))
#define HKEY_USERS ((HKEY)(ULONG_PTR)((LONG)0x80000003))

#define READ_CONTROL 0x00020000L
#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_CREATE_SUB_KEY 0x0004
#define KEY_ENUMERATE_SUB_KEYS 0x0008
#define KEY_NOTIFY 0x0010
#define KEY_WOW64_64KEY 0x0100
#define KEY_WOW64_32KEY 0x0200
#define KEY_READ 0x20019
#define KEY_WRITE 0x20006
#define KEY_ALL_ACCESS 0xF003F

#define REG_NONE 0
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define REG_BINARY 3
#define REG_DWORD 4
#define REG_DWORD_LITTLE_ENDIAN 4
#define REG_DWORD_BIG_ENDIAN 5
#define REG_LINK 6
#define REG_MULTI_SZ 7
#define REG_RESOURCE_LIST 8
#define REG_FULL_RESOURCE_DESCRIPTOR 9
#define REG_RESOURCE_REQUIREMENTS_LIST 10
#define REG_QWORD 11

/// Opens the subkey `lpSubKey` (relative, backslash separated, any letter case)
/// of an open key or of HKEY_LOCAL_MACHINE. A null or empty subkey opens the
/// key itself again. ERROR_FILE_NOT_FOUND when there is no such key,
/// ERROR_INVALID_HANDLE for a key that is not open.
LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired,
                   PHKEY phkResult);

/// Reads a value (a null or empty name is the key's default value): its type
/// and its bytes exactly as stored, so a string stored without its terminating
/// NUL comes back without one. Without a data buffer only the size is
/// returned; a value larger than the buffer gives ERROR_MORE_DATA and the size
/// needed, and the buffer's content is then not to be relied on.
LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                      LPBYTE lpData, LPDWORD lpcbData);

/// Releases a key opened by RegOpenKeyExA.
LONG RegCloseKey(HKEY hKey);
