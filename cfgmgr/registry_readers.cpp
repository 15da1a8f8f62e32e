#include "cfgmgr/registry_readers.h"

#include <cstring>
#include <memory>
#include <new>

#include "cfgmgr/registry_text.h"

ScopedRegKey OpenKeyForRead(HKEY hParent, LPCSTR pszPath) {
  HKEY hKey = nullptr;
  if (RegOpenKeyExA(hParent, pszPath, 0, KEY_READ, &hKey) != ERROR_SUCCESS) return nullptr;
  return ScopedRegKey(hKey);
}

namespace {

// Expands the environment references of `pszValue` in place when the whole
// expansion fits in `cbValue` bytes; otherwise the text stays as stored.
void ExpandInPlace(char* pszValue, DWORD cbValue) {
  std::unique_ptr<char[]> expanded(new (std::nothrow) char[cbValue]);
  if (!expanded) return;
  expanded[0] = '\0';
  DWORD cchNeeded = ExpandEnvironmentStringsA(pszValue, expanded.get(), cbValue);
  // A result that did not fit may be cut anywhere: keep the stored text then.
  if (cchNeeded == 0 || cchNeeded > cbValue) return;
  if (std::memchr(expanded.get(), 0, cbValue) == nullptr || expanded[0] == '\0') return;
  std::strcpy(pszValue, expanded.get());
}

}  // namespace

BOOL RegReadString(HKEY hKey, LPCSTR pszName, char* pszValue, DWORD cbValue) {
  if (cbValue == 0) return FALSE;
  DWORD dwType = REG_SZ;
  DWORD cbData = cbValue;
  if (RegQueryValueExA(hKey, pszName, nullptr, &dwType, reinterpret_cast<LPBYTE>(pszValue),
                       &cbData) != ERROR_SUCCESS ||
      (dwType != REG_SZ && dwType != REG_EXPAND_SZ) ||
      !EndTextAtData(pszValue, cbValue, cbData)) {
    pszValue[0] = '\0';
    return FALSE;
  }
  if (dwType == REG_EXPAND_SZ) ExpandInPlace(pszValue, cbValue);
  return TRUE;
}

BOOL RegReadMultiString(HKEY hKey, LPCSTR pszName, PathBuffer& szLines) {
  szLines[0] = '\0';
  DWORD dwType = REG_MULTI_SZ;
  DWORD cbData = MAX_PATH;
  if (RegQueryValueExA(hKey, pszName, nullptr, &dwType, reinterpret_cast<LPBYTE>(szLines),
                       &cbData) != ERROR_SUCCESS ||
      dwType != REG_MULTI_SZ || !MultiStringToLines(szLines, MAX_PATH, cbData)) {
    szLines[0] = '\0';
    return FALSE;
  }
  return TRUE;
}

BOOL RegReadDeviceReference(HKEY hKey, ULONG* pulValue) {
  *pulValue = 0;
  DWORD dwType = REG_DWORD;
  DWORD dwValue = 0;
  DWORD cbData = sizeof dwValue;
  if (RegQueryValueExA(hKey, "DeviceReference", nullptr, &dwType,
                       reinterpret_cast<LPBYTE>(&dwValue), &cbData) != ERROR_SUCCESS ||
      dwType != REG_DWORD) {
    return FALSE;
  }
  *pulValue = dwValue;
  return TRUE;
}
