/// Loading libraries and data modules, and looking up entry points. Libraries
/// and their entry points are those the machine model lists; a file of the
/// machine can be mapped as a data module (message tables, resources).
#pragma once

#include "win32/base_types.h"

typedef INT_PTR (*FARPROC)();

#define DONT_RESOLVE_DLL_REFERENCES 0x00000001
#define LOAD_LIBRARY_AS_DATAFILE 0x00000002

#define ERROR_MOD_NOT_FOUND 126L
#define ERROR_PROC_NOT_FOUND 127L

/// Loads a library of the machine by name (any letter case). Every load hands
/// out a handle of its own, released by one FreeLibrary, so a test can pair
/// each load with its release. Null and ERROR_MOD_NOT_FOUND when the machine
/// has no such library.
HMODULE LoadLibraryA(LPCSTR lpLibFileName);

/// With LOAD_LIBRARY_AS_DATAFILE, maps a file of the machine as a data module
/// (a name without a folder is looked for in the system folder); otherwise the
/// same as LoadLibraryA. hFile must be null.
HMODULE LoadLibraryExA(LPCSTR lpLibFileName, HANDLE hFile, DWORD dwFlags);

/// The entry point `lpProcName` of a loaded library: found when the machine's
/// library exports it and the platform layer implements it; null and
/// ERROR_PROC_NOT_FOUND otherwise (data modules have no entry points).
FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName);

/// Releases a module handle; FALSE and ERROR_INVALID_HANDLE when it is not one.
BOOL FreeLibrary(HMODULE hLibModule);
