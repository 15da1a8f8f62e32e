/// Where a device's service image file lies: from the service key's
/// "ImagePath", or by default in the Windows directory's System32\drivers.
#pragma once

#include <cstddef>

#include "cfgmgr/cm_api.h"

/// The full image path from an "ImagePath" text (null when the service has
/// none), the service name and the Windows directory (null when unknown):
///   "System32\drivers\..." (any case)  -> <Windows directory>\System32\drivers\...
///   any other image path               -> unchanged
///   no image path                      -> <Windows directory>\System32\drivers\<name>.sys
/// FALSE, with an empty output, when the result would not fit in `cbPath`
/// bytes or needs the unknown Windows directory.
BOOL ComposeImagePath(LPCSTR pszImagePath, LPCSTR pszServiceName, LPCSTR pszWindowsDir,
                      char* pszPath, size_t cbPath);

/// Reads "ImagePath" of an open service key (REG_EXPAND_SZ expanded) and
/// composes the full path with the machine's Windows directory.
BOOL ResolveServiceImagePath(HKEY hServiceKey, LPCSTR pszServiceName, char* pszPath,
                             size_t cbPath);
