#include "cfgmgr/key_paths.h"

#include <cstring>

BOOL BuildKeyPath(PathBuffer& szPath, LPCSTR pszRoot, LPCSTR pszName, size_t cchReserved) {
  size_t cchRoot = std::strlen(pszRoot);
  size_t cchName = std::strlen(pszName);
  // The reserve is never less than the root and its backslash, so this also
  // keeps the path and its NUL inside the buffer.
  if (cchName + cchReserved >= MAX_PATH || cchRoot + 1 + cchName >= MAX_PATH) return FALSE;
  std::memcpy(szPath, pszRoot, cchRoot);
  szPath[cchRoot] = '\\';
  std::memcpy(szPath + cchRoot + 1, pszName, cchName + 1);
  return TRUE;
}
