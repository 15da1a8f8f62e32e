/// The Win32 API itself, for the Windows builds. Logic code includes this
/// header; on Linux the same name gives our own declarations (platform/posix).
#pragma once

#include <windows.h>
