/// Values of a setup class: its characteristics through the Configuration
/// Manager, and the values of its class key
/// "System\CurrentControlSet\Control\Class\<GUID text>". Each class-key reader
/// opens the key, reads one value into the caller's buffer and closes it;
/// FALSE (with an empty text) when the key or the value cannot be read.
#pragma once

#include "cfgmgr/cm_api.h"

/// CM_CRP_CHARACTERISTICS of the class, when it is a REG_DWORD.
BOOL GetClassCharacteristics(CCmApi& api, GUID* pClassGuid, ULONG* pulCharacteristics);

/// The class key's default value.
BOOL GetClassDescription(LPCSTR pszGuidText, PathBuffer& szValue);
/// "EnumPropPages32".
BOOL GetClassEnumPropPages(LPCSTR pszGuidText, PathBuffer& szValue);
/// "Installer32".
BOOL GetClassInstaller(LPCSTR pszGuidText, PathBuffer& szValue);
/// "TroubleShooter-0".
BOOL GetClassTroubleShooter(LPCSTR pszGuidText, PathBuffer& szValue);
/// "LowerFilters", as lines.
BOOL GetClassLowerFilters(LPCSTR pszGuidText, PathBuffer& szLines);
/// "UpperFilters", as lines.
BOOL GetClassUpperFilters(LPCSTR pszGuidText, PathBuffer& szLines);
