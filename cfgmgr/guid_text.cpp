#include "cfgmgr/guid_text.h"

#include <cstdio>
#include <cstring>

#include "cfgmgr/key_paths.h"

BOOL ParseGuidText(LPCSTR pszText, GUID* pGuid) {
  if (pszText == nullptr || pGuid == nullptr) return FALSE;
  if (*pszText == '{') ++pszText;
  if (std::strlen(pszText) < 36) return FALSE;
  unsigned int data1 = 0;
  unsigned short data2 = 0, data3 = 0, bytes[8] = {};
  char sep[4];
  // The separators are taken but not tested: stored texts with another
  // separator than '-' are read all the same.
  int fields = std::sscanf(pszText, "%8x %c %4hx %c %4hx %c%2hx %2hx %c %2hx %2hx %2hx %2hx %2hx %2hx",
                           &data1, &sep[0], &data2, &sep[1], &data3, &sep[2], &bytes[0], &bytes[1],
                           &sep[3], &bytes[2], &bytes[3], &bytes[4], &bytes[5], &bytes[6],
                           &bytes[7]);
  if (fields != 15) return FALSE;
  pGuid->Data1 = data1;
  pGuid->Data2 = data2;
  pGuid->Data3 = data3;
  for (int i = 0; i < 8; ++i) pGuid->Data4[i] = static_cast<BYTE>(bytes[i]);
  return TRUE;
}

BOOL ClassKeyPathFromGuidText(LPCSTR pszGuidText, PathBuffer& szPath) {
  // One more character is kept in reserve here than the driver key path keeps.
  return BuildKeyPath(szPath, kClassRoot, pszGuidText, 40);
}
