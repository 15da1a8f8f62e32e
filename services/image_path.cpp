#include "services/image_path.h"

#include <cstring>

#include "win32_api.h"

std::string StripImageArguments(std::string_view strPath) {
  if (!strPath.empty() && strPath[0] == '"') {
    strPath.remove_prefix(1);
    size_t nQuote = strPath.find('"');
    if (nQuote != std::string_view::npos && nQuote > 0) strPath = strPath.substr(0, nQuote);
    return std::string(strPath);
  }
  size_t nBlank = strPath.find(' ');
  if (nBlank != std::string_view::npos && nBlank > 0) strPath = strPath.substr(0, nBlank);
  return std::string(strPath);
}

namespace {
bool StartsWith(const std::string& strText, const char* pszPrefix) {
  return _strnicmp(strText.c_str(), pszPrefix, std::strlen(pszPrefix)) == 0;
}
}  // namespace

std::string ResolveDriverImagePath(std::string_view strPath, std::string_view strWindowsDir) {
  std::string strText(strPath);
  std::string strWindows(strWindowsDir);
  if (StartsWith(strText, "\\??\\")) return strText.substr(4);
  if (StartsWith(strText, "\\SystemRoot")) return strWindows + strText.substr(11);
  if (StartsWith(strText, "System32\\")) return strWindows + "\\" + strText;
  return strText;
}
