/// The run settings: what the command line asked for, written once at
/// start-up by ParseOptions before any other object exists, and only read
/// afterwards (also by the collection's worker thread).
#pragma once

#include "app/command_line.h"
#include "win32_api.h"

/// Name of the report file, exactly as the command line gave it (ANSI text).
extern char g_szReportFile[MAX_PATH];
/// Window given with /hwnd; null when none.
extern HWND g_hwndParent;
/// Option flags (SKIP_DEVMAN and the others, command_line.h).
extern DWORD g_dwOptions;

/// Clears the run settings and fills them from the process's arguments
/// (__argc, __argv). TRUE when a report file name was given and no error was
/// found; FALSE after the usage message has been shown.
BOOL ParseOptions();
