// Expansion of %NAME% references from the installed machine's environment.
#include <cstring>
#include <string>

#include "platform/posix/src/machine_access.h"
#include "win32_api.h"

namespace {

// Each "%" opens a reference that the next "%" closes. A known name is
// replaced by its value; anything else ("%%", an unknown name) is copied with
// both signs, and scanning goes on after the closing sign, so "%X%%Y%" with X
// unknown still expands Y. A "%" without a partner is copied as it is.
std::string Expand(const tov::machine::Machine& m, const char* src) {
  std::string out;
  while (*src != '\0') {
    const char* open = std::strchr(src, '%');
    if (open == nullptr) {
      out += src;
      break;
    }
    out.append(src, open);
    const char* close = std::strchr(open + 1, '%');
    if (close == nullptr) {
      out += open;
      break;
    }
    std::string_view name(open + 1, static_cast<size_t>(close - open - 1));
    const std::string* value = name.empty() ? nullptr : m.FindEnv(name);
    if (value != nullptr) {
      out += *value;
    } else {
      out.append(open, close + 1);
    }
    src = close + 1;
  }
  return out;
}

}  // namespace

DWORD ExpandEnvironmentStringsA(LPCSTR lpSrc, LPSTR lpDst, DWORD nSize) {
  tov::machine::Machine* m = tov::posix::MachineFor("ExpandEnvironmentStringsA");
  if (m == nullptr) return 0;
  if (lpSrc == nullptr || (lpDst == nullptr && nSize != 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::string expanded = Expand(*m, lpSrc);
  DWORD needed = static_cast<DWORD>(expanded.size() + 1);
  if (needed > nSize) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return needed;
  }
  std::memcpy(lpDst, expanded.c_str(), needed);
  return needed;
}
