/// Code page conversion between 8-bit text and UTF-16, and the thread's last
/// error code. CP_ACP and CP_THREAD_ACP mean the machine's ANSI code page
/// (Windows-1252 unless the machine model says otherwise); UTF-8 is also known.
/// GetACP gives 0 when no machine is installed, and conversions that need the
/// machine's code page then fail with ERROR_NOT_READY.
#pragma once

#include "win32/base_types.h"

#define CP_ACP 0
#define CP_OEMCP 1
#define CP_THREAD_ACP 3
#define CP_UTF8 65001

int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                        LPWSTR lpWideCharStr, int cchWideChar);
int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                        LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar,
                        LPBOOL lpUsedDefaultChar);
UINT GetACP(void);

DWORD GetLastError(void);
void SetLastError(DWORD dwErrCode);
