#include "tools/tovdump/text_decode.h"

namespace tovdump {

namespace {

// 0x80..0x9F of Windows-1252. The five bytes the code page leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) keep their own value, so they survive.
constexpr char16_t kHigh1252[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

std::optional<CodePage> ParseCodePage(std::string_view strName) {
  std::string lower;
  for (char c : strName) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  if (lower == "1252" || lower == "windows-1252" || lower == "cp1252") return CodePage::kWindows1252;
  if (lower == "28591" || lower == "latin1" || lower == "iso-8859-1") return CodePage::kLatin1;
  if (lower == "65001" || lower == "utf-8" || lower == "utf8") return CodePage::kUtf8;
  return std::nullopt;
}

char32_t DecodeWindows1252(unsigned char b) {
  return b >= 0x80 && b < 0xA0 ? kHigh1252[b - 0x80] : b;
}

size_t DecodeUtf8Sequence(std::string_view text, char32_t& cp) {
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const unsigned char b0 = s[0];
  cp = 0xDC00 + b0;
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  }
  size_t nMore;
  char32_t value;
  char32_t minimum;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    nMore = 1, value = b0 & 0x1F, minimum = 0x80;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    nMore = 2, value = b0 & 0x0F, minimum = 0x800;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    nMore = 3, value = b0 & 0x07, minimum = 0x10000;
  } else {
    return 1;
  }
  if (text.size() <= nMore) return 1;
  for (size_t i = 1; i <= nMore; ++i) {
    if ((s[i] & 0xC0) != 0x80) return 1;
    value = (value << 6) | (s[i] & 0x3F);
  }
  // Overlong forms, encoded surrogates and values past U+10FFFF are not
  // UTF-8; taking them as bytes keeps the text intact.
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 1;
  cp = value;
  return nMore + 1;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace tovdump
