// The grammar is applied to copies of the arguments' parts, so nothing in the
// argument vector is changed.
#include "app/command_line.h"

#include <cctype>
#include <cstring>
#include <string_view>

namespace {

struct SkipOption {
  const char* name;
  DWORD flag;
};

// Compared in this order; the first match wins.
constexpr SkipOption kSkipOptions[] = {
    {"sdm", SKIP_DEVMAN},       {"sdd", SKIP_DEVMAN_DETAILS}, {"ssr", SKIP_SERVICES},
    {"sse", SKIP_EVLOG_SYSTEM}, {"see", SKIP_EVLOG_NORVAN},   {"sce", SKIP_EVLOG_SECURITY},
};

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void ApplyOption(const char* option, CommandLine& line) {
  // The name ends at the first ':'; what follows is the value.
  const char* colon = std::strchr(option, ':');
  std::string name = colon != nullptr ? std::string(option, colon) : std::string(option);
  if (_stricmp(name.c_str(), "hwnd") == 0) {
    // Without ':' there is no value, which is not acceptable either.
    DWORD value = colon != nullptr ? ParseWindowHandle(colon + 1) : 0;
    if (value != 0) line.dwParentWindow = value;
    return;
  }
  for (const SkipOption& skip : kSkipOptions) {
    if (_stricmp(name.c_str(), skip.name) == 0) {
      line.dwOptions |= skip.flag;
      return;
    }
  }
}

}  // namespace

DWORD ParseWindowHandle(const char* value) {
  const char* p = value;
  while (std::isspace(static_cast<unsigned char>(*p))) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  // A "0x" counts as a prefix only when a digit follows; otherwise the "0" is
  // the number and the 'x' an unread character.
  if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && HexDigit(p[2]) >= 0) p += 2;
  if (HexDigit(*p) < 0) return 0;  // no digits: strtoul converts nothing, giving 0
  unsigned long long magnitude = 0;
  bool overflow = false;
  for (; HexDigit(*p) >= 0; ++p) {
    magnitude = magnitude * 16 + static_cast<unsigned>(HexDigit(*p));
    if (magnitude > 0xFFFFFFFFull) {
      overflow = true;
      magnitude = 0xFFFFFFFFull;
    }
  }
  if (*p != '\0') return 0;
  DWORD result = overflow ? 0xFFFFFFFFu : static_cast<DWORD>(magnitude);
  if (negative && !overflow) result = static_cast<DWORD>(0u - result);
  return result == 0xFFFFFFFFu ? 0 : result;
}

bool ParseCommandLine(int argc, const char* const* argv, CommandLine& line) {
  line = CommandLine{};
  bool have_file = false;
  for (int i = 1; i < argc; ++i) {
    const char* argument = argv[i];
    if (argument[0] == '/' || argument[0] == '-') {
      ApplyOption(argument + 1, line);
      continue;
    }
    // An empty argument names no file, so a later one may still do so.
    if (have_file) return false;
    if (std::strlen(argument) >= MAX_PATH) return false;
    line.strReportFile = argument;
    have_file = argument[0] != '\0';
  }
  return have_file;
}
