/// The Win32 API itself, for the Windows builds. Logic code includes this
/// header; on Linux the same name gives our own declarations (platform/posix).
#pragma once

#include <windows.h>

// The C runtime parts the logic uses beside the standard library:
// _beginthreadex, _stricmp and _strnicmp, _time64.
#include <process.h>
#include <string.h>
#include <time.h>
#include <ole2.h>
#include <commctrl.h>
#include <cfgmgr32.h>
#include <setupapi.h>
