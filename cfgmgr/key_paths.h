/// Paths of the registry keys that belong to a device, below HKEY_LOCAL_MACHINE.
#pragma once

#include <cstddef>

#include "cfgmgr/cm_api.h"

inline constexpr const char* kEnumRoot = "System\\CurrentControlSet\\Enum";
inline constexpr const char* kClassRoot = "System\\CurrentControlSet\\Control\\Class";
inline constexpr const char* kServicesRoot = "SYSTEM\\CurrentControlSet\\Services";

/// `pszRoot` + "\" + `pszName` into `szPath`, when the name's length plus
/// `cchReserved` stays below 260; FALSE (and `szPath` untouched) otherwise.
BOOL BuildKeyPath(PathBuffer& szPath, LPCSTR pszRoot, LPCSTR pszName, size_t cchReserved);
