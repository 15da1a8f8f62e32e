/// The computer's identity and environment: its name, its Windows directory
/// and the expansion of environment references, all from the machine model.
#pragma once

#include "win32/base_types.h"

#define MAX_COMPUTERNAME_LENGTH 15

/// Copies the Windows directory (no trailing backslash) and returns its length
/// without the NUL. When it does not fit in `uSize` characters the buffer is
/// left alone and the size needed, NUL included, is returned. 0 on failure.
UINT GetWindowsDirectoryA(LPSTR lpBuffer, UINT uSize);

/// Copies the computer name. *nSize is the buffer size on entry; on success it
/// becomes the name's length without the NUL. When the name does not fit:
/// FALSE, ERROR_BUFFER_OVERFLOW and *nSize = the size needed, NUL included.
BOOL GetComputerNameA(LPSTR lpBuffer, LPDWORD nSize);

/// Replaces each %NAME% (name in any letter case) by the variable's value; a
/// reference to an unknown name, a "%%" and an unpaired "%" stay as they are.
/// Returns the size of the result in characters including its NUL, also when
/// it does not fit in `nSize` (the buffer's content is then not to be relied
/// on, and the last error is ERROR_INSUFFICIENT_BUFFER). 0 on failure.
DWORD ExpandEnvironmentStringsA(LPCSTR lpSrc, LPSTR lpDst, DWORD nSize);
