#include "cfgmgr/service_image_path.h"

#include <cstring>

#include "cfgmgr/registry_readers.h"

namespace {

// Appends `pszText` when it fits with the NUL in what is left of `cbPath`.
bool Append(char* pszPath, size_t cbPath, LPCSTR pszText) {
  size_t cchUsed = std::strlen(pszPath);
  size_t cchText = std::strlen(pszText);
  if (cchText >= cbPath - cchUsed) return false;
  std::memcpy(pszPath + cchUsed, pszText, cchText + 1);
  return true;
}

bool Compose(LPCSTR pszImagePath, LPCSTR pszServiceName, LPCSTR pszWindowsDir, char* pszPath,
             size_t cbPath) {
  if (pszImagePath != nullptr) {
    if (_strnicmp(pszImagePath, "System32\\drivers\\", 17) == 0 &&
        (pszWindowsDir == nullptr || !Append(pszPath, cbPath, pszWindowsDir) ||
         !Append(pszPath, cbPath, "\\"))) {
      return false;
    }
    return Append(pszPath, cbPath, pszImagePath);
  }
  if (pszWindowsDir == nullptr || !Append(pszPath, cbPath, pszWindowsDir)) return false;
  // The room asked for is kept as it always was: three bytes more than the
  // "\System32\drivers\" + name + ".sys" tail needs.
  if (std::strlen(pszServiceName) + 25 > cbPath - std::strlen(pszPath) - 1) return false;
  return Append(pszPath, cbPath, "\\System32\\drivers\\") &&
         Append(pszPath, cbPath, pszServiceName) && Append(pszPath, cbPath, ".sys");
}

}  // namespace

BOOL ComposeImagePath(LPCSTR pszImagePath, LPCSTR pszServiceName, LPCSTR pszWindowsDir,
                      char* pszPath, size_t cbPath) {
  if (cbPath == 0) return FALSE;
  pszPath[0] = '\0';
  if (Compose(pszImagePath, pszServiceName, pszWindowsDir, pszPath, cbPath)) return TRUE;
  pszPath[0] = '\0';
  return FALSE;
}

BOOL ResolveServiceImagePath(HKEY hServiceKey, LPCSTR pszServiceName, char* pszPath,
                             size_t cbPath) {
  PathBuffer szImagePath;
  BOOL bHasImagePath = RegReadString(hServiceKey, "ImagePath", szImagePath, MAX_PATH);
  PathBuffer szWindowsDir;
  UINT cchWindowsDir = GetWindowsDirectoryA(szWindowsDir, MAX_PATH);
  bool bWindowsDirKnown = cchWindowsDir != 0 && cchWindowsDir < MAX_PATH;
  return ComposeImagePath(bHasImagePath ? szImagePath : nullptr, pszServiceName,
                          bWindowsDirKnown ? szWindowsDir : nullptr, pszPath, cbPath);
}
