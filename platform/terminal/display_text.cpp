#include "platform/terminal/display_text.h"

#include <algorithm>
#include <cstdio>

#include "win32_api.h"

namespace tov::terminal {

namespace {

std::string Utf8OfAnsi(const std::string& ansi) {
  int wide = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  if (wide <= 0) return {};
  std::u16string utf16(static_cast<size_t>(wide), u'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), utf16.data(), wide);
  int n = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), wide, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, utf16.data(), wide, out.data(), n, nullptr, nullptr);
  return out;
}

}  // namespace

std::string DisplayText(const std::string& ansi) {
  bool ascii = true;
  for (char c : ansi) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  std::string out = ascii ? ansi : Utf8OfAnsi(ansi);
  if (out.empty() && !ansi.empty()) {
    out = ansi;
    for (char& c : out) {
      if (static_cast<unsigned char>(c) >= 0x80) c = '?';
    }
  }
  for (char& c : out) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  }
  return out;
}

std::string FitColumns(const std::string& utf8, int columns) {
  int seen = 0;
  for (size_t i = 0; i < utf8.size(); ++i) {
    bool starts_character = (static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80;
    if (starts_character && seen++ == columns) return utf8.substr(0, i);
  }
  return utf8;
}

std::string ProgressBarText(int low, int high, int position, int width) {
  long long span = static_cast<long long>(high) - low;
  long long done = std::clamp(static_cast<long long>(position) - low, 0LL, std::max(span, 0LL));
  int filled = span > 0 ? static_cast<int>(done * width / span) : 0;
  int percent = span > 0 ? static_cast<int>(done * 100 / span) : 0;
  char tail[8];
  std::snprintf(tail, sizeof tail, "] %3d%%", percent);
  return "[" + std::string(static_cast<size_t>(filled), '#') +
         std::string(static_cast<size_t>(width - filled), '.') + tail;
}

}  // namespace tov::terminal
