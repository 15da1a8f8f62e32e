/// Setup class GUIDs as text: parsing the registry form and building the
/// class key path from it.
#pragma once

#include "cfgmgr/cm_api.h"

/// Reads "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" into *pGuid. The leading "{"
/// is optional and the four separators may be any character; at least 36
/// characters must follow the optional brace. FALSE when the text has another form.
BOOL ParseGuidText(LPCSTR pszText, GUID* pGuid);

/// "System\CurrentControlSet\Control\Class\<GUID text>"; FALSE when it would not fit.
BOOL ClassKeyPathFromGuidText(LPCSTR pszGuidText, PathBuffer& szPath);
