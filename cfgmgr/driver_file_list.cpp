#include "cfgmgr/driver_file_list.h"

#include <cctype>
#include <cstring>

UINT CALLBACK DriverFileScanCallback(PVOID Context, UINT, UINT_PTR Param1, UINT_PTR) {
  auto* pContext = static_cast<DriverFileScanContext*>(Context);
  const char* pszPath = reinterpret_cast<const char*>(Param1);
  if (pContext == nullptr || pContext->pszOut == nullptr || pszPath == nullptr) return 0;
  size_t cchUsed = strnlen(pContext->pszOut, pContext->cbOut);
  size_t cchPath = std::strlen(pszPath);
  // Room for a separator and the NUL is asked of every path, also the first.
  if (cchUsed >= pContext->cbOut || cchPath + 2 > pContext->cbOut - cchUsed) return 0;
  char* pszEnd = pContext->pszOut + cchUsed;
  if (pContext->nCount != 0) *pszEnd++ = '\n';
  ++pContext->nCount;
  std::memcpy(pszEnd, pszPath, cchPath + 1);
  return 0;
}

size_t FindNoCase(std::string_view text, std::string_view pattern) {
  if (text.empty() || pattern.size() > text.size()) return std::string_view::npos;
  auto upper = [](char c) { return std::toupper(static_cast<unsigned char>(c)); };
  for (size_t pos = 0; pos + pattern.size() <= text.size(); ++pos) {
    size_t i = 0;
    while (i < pattern.size() && upper(text[pos + i]) == upper(pattern[i])) ++i;
    if (i == pattern.size()) return pos;
  }
  return std::string_view::npos;
}

void MergeDriverFiles(char* pszList, size_t cbList, const char* pszFiles) {
  std::string_view files(pszFiles);
  size_t cchList = strnlen(pszList, cbList);
  while (!files.empty()) {
    size_t cut = files.find('\n');
    std::string_view path = files.substr(0, cut);
    files = cut == std::string_view::npos ? std::string_view() : files.substr(cut + 1);
    if (path.empty()) continue;  // a run of line feeds counts as one
    if (cchList + 1 + path.size() + 1 > cbList) return;
    if (FindNoCase(std::string_view(pszList, cchList), path) != std::string_view::npos) continue;
    pszList[cchList++] = '\n';
    std::memcpy(pszList + cchList, path.data(), path.size());
    cchList += path.size();
    pszList[cchList] = '\0';
  }
}
