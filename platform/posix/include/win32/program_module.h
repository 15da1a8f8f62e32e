/// The running program itself: its module handle and file name, its argument
/// vector as the C runtime of the platform gives it, and fixed memory blocks.
#pragma once

#include "win32/base_types.h"

#define GMEM_FIXED 0x0000

/// The argument vector: 8-bit texts in the machine's ANSI code page, the
/// program's name first. Set by the program's start-up.
extern int __argc;
extern char** __argv;

/// The program's own module for a null name; null for any other name.
HMODULE GetModuleHandleA(LPCSTR lpModuleName);

/// The path of the program's file for a null module (at most nSize - 1
/// characters and a NUL; when it does not fit, it is cut, nSize is returned
/// and the last error is ERROR_INSUFFICIENT_BUFFER). 0 for any other module.
DWORD GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize);

/// A fixed block of dwBytes bytes (GMEM_FIXED); null when out of memory.
HGLOBAL GlobalAlloc(UINT uFlags, SIZE_T dwBytes);
/// Frees a block of GlobalAlloc; null on success.
HGLOBAL GlobalFree(HGLOBAL hMem);
