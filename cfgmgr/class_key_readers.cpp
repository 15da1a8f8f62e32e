#include "cfgmgr/class_key_readers.h"

#include "cfgmgr/guid_text.h"
#include "cfgmgr/registry_readers.h"

namespace {

// Opens the class key of `pszGuidText` and hands it to `read`.
template <class Read>
BOOL ReadClassKey(LPCSTR pszGuidText, PathBuffer& szValue, Read read) {
  szValue[0] = '\0';
  PathBuffer szPath;
  if (!ClassKeyPathFromGuidText(pszGuidText, szPath)) return FALSE;
  ScopedRegKey key = OpenKeyForRead(HKEY_LOCAL_MACHINE, szPath);
  if (!key) return FALSE;
  return read(key.get());
}

BOOL ReadClassString(LPCSTR pszGuidText, LPCSTR pszName, PathBuffer& szValue) {
  return ReadClassKey(pszGuidText, szValue, [&](HKEY hKey) {
    return RegReadString(hKey, pszName, szValue, MAX_PATH);
  });
}

BOOL ReadClassLines(LPCSTR pszGuidText, LPCSTR pszName, PathBuffer& szLines) {
  return ReadClassKey(pszGuidText, szLines,
                      [&](HKEY hKey) { return RegReadMultiString(hKey, pszName, szLines); });
}

}  // namespace

BOOL GetClassCharacteristics(CCmApi& api, GUID* pClassGuid, ULONG* pulCharacteristics) {
  ULONG ulType = 0;
  ULONG ulValue = 0;
  ULONG ulLength = sizeof ulValue;
  if (api.CM_Get_Class_Registry_PropertyA(pClassGuid, CM_CRP_CHARACTERISTICS, &ulType, &ulValue,
                                          &ulLength, 0, nullptr) != CR_SUCCESS ||
      ulType != REG_DWORD) {
    return FALSE;
  }
  *pulCharacteristics = ulValue;
  return TRUE;
}

BOOL GetClassDescription(LPCSTR pszGuidText, PathBuffer& szValue) {
  return ReadClassString(pszGuidText, nullptr, szValue);
}

BOOL GetClassEnumPropPages(LPCSTR pszGuidText, PathBuffer& szValue) {
  return ReadClassString(pszGuidText, "EnumPropPages32", szValue);
}

BOOL GetClassInstaller(LPCSTR pszGuidText, PathBuffer& szValue) {
  return ReadClassString(pszGuidText, "Installer32", szValue);
}

BOOL GetClassTroubleShooter(LPCSTR pszGuidText, PathBuffer& szValue) {
  return ReadClassString(pszGuidText, "TroubleShooter-0", szValue);
}

BOOL GetClassLowerFilters(LPCSTR pszGuidText, PathBuffer& szLines) {
  return ReadClassLines(pszGuidText, "LowerFilters", szLines);
}

BOOL GetClassUpperFilters(LPCSTR pszGuidText, PathBuffer& szLines) {
  return ReadClassLines(pszGuidText, "UpperFilters", szLines);
}
