/// Reading values of device, driver, class and service keys under
/// HKEY_LOCAL_MACHINE, with the type tests and fixed buffers the device
/// readers rely on. No reader reports an error: each returns TRUE or FALSE,
/// and on FALSE leaves an empty text in its buffer.
#pragma once

#include <memory>
#include <type_traits>

#include "cfgmgr/cm_api.h"

/// Closes a registry key when it goes.
struct RegKeyCloser {
  void operator()(HKEY hKey) const { RegCloseKey(hKey); }
};
using ScopedRegKey = std::unique_ptr<std::remove_pointer_t<HKEY>, RegKeyCloser>;

/// Opens `pszPath` below `hParent` for reading (KEY_READ); null when that fails.
ScopedRegKey OpenKeyForRead(HKEY hParent, LPCSTR pszPath);

/// A REG_SZ or REG_EXPAND_SZ value (null name: the key's default value) that
/// fits in `cbValue` bytes with its NUL. A REG_EXPAND_SZ text is expanded
/// when the expansion fits, else kept as stored.
BOOL RegReadString(HKEY hKey, LPCSTR pszName, char* pszValue, DWORD cbValue);

/// A REG_MULTI_SZ value of at most 260 bytes as lines, each ending in a line
/// feed; an empty list gives an empty text.
BOOL RegReadMultiString(HKEY hKey, LPCSTR pszName, PathBuffer& szLines);

/// "DeviceReference" when it is a REG_DWORD; *pulValue is 0 otherwise.
BOOL RegReadDeviceReference(HKEY hKey, ULONG* pulValue);
