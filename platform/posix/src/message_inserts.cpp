#include "platform/posix/src/message_inserts.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace tov::posix {

namespace {

constexpr size_t kMaxFieldDigits = 4;  // width or precision up to 9999

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Takes up to kMaxFieldDigits digits at fmt[i]; false when there are more.
bool SkipDigits(std::string_view fmt, size_t& i) {
  size_t start = i;
  while (i < fmt.size() && IsDigit(fmt[i])) ++i;
  return i - start <= kMaxFieldDigits;
}

// Writes one insert with the printf-style format between the exclamation
// marks (without them). Only flags, width, precision, an optional 'l' (long
// is 32 bits on the platform, so it changes nothing) and one conversion are
// accepted, so the format handed to snprintf is always one we understand.
bool FormatInsert(std::string_view fmt, DWORD_PTR value, std::string& out) {
  size_t i = 0;
  while (i < fmt.size() && std::strchr("-+ #0", fmt[i]) != nullptr) ++i;
  if (!SkipDigits(fmt, i)) return false;
  if (i < fmt.size() && fmt[i] == '.') {
    ++i;
    if (!SkipDigits(fmt, i)) return false;
  }
  std::string format = "%" + std::string(fmt.substr(0, i));
  if (i < fmt.size() && fmt[i] == 'l') ++i;
  if (i + 1 != fmt.size()) return false;
  char conversion = fmt[i];
  if (std::strchr("scdiuxXo", conversion) == nullptr) return false;
  format += conversion;

  char small[64];
  auto write = [&](auto arg) {
    int n = std::snprintf(small, sizeof small, format.c_str(), arg);
    if (n < 0) return false;
    if (static_cast<size_t>(n) < sizeof small) {
      out.append(small, static_cast<size_t>(n));
    } else {
      std::string big(static_cast<size_t>(n) + 1, '\0');
      std::snprintf(big.data(), big.size(), format.c_str(), arg);
      out.append(big.data(), static_cast<size_t>(n));
    }
    return true;
  };
  switch (conversion) {
    case 's': {
      const char* s = reinterpret_cast<const char*>(value);
      return write(s != nullptr ? s : "(null)");
    }
    case 'c':
      return write(static_cast<int>(static_cast<unsigned char>(value)));
    case 'd':
    case 'i':
      return write(static_cast<int32_t>(value));
    default:
      return write(static_cast<uint32_t>(value));
  }
}

}  // namespace

DWORD FillMessageInserts(std::string_view text, const DWORD_PTR* args, std::string& out) {
  size_t i = 0;
  while (i < text.size()) {
    char c = text[i++];
    if (c != '%') {
      out += c;
      continue;
    }
    if (i == text.size()) {
      out += '%';  // a percent sign that ends the text stands for itself
      break;
    }
    char e = text[i++];
    if (e >= '1' && e <= '9') {
      unsigned number = static_cast<unsigned>(e - '0');
      if (i < text.size() && IsDigit(text[i])) number = number * 10 + (text[i++] - '0');
      if (args == nullptr) return ERROR_INVALID_PARAMETER;
      std::string_view fmt = "s";
      if (i < text.size() && text[i] == '!') {
        size_t close = text.find('!', i + 1);
        if (close == std::string_view::npos) return ERROR_INVALID_PARAMETER;
        fmt = text.substr(i + 1, close - i - 1);
        i = close + 1;
      }
      if (!FormatInsert(fmt, args[number - 1], out)) return ERROR_INVALID_PARAMETER;
      continue;
    }
    switch (e) {
      case '0':
        return ERROR_SUCCESS;  // the text ends here, without its line break
      case 'n':
        out += "\r\n";
        break;
      case 'r':
        out += '\r';
        break;
      case 't':
        out += '\t';
        break;
      case 'b':
        out += ' ';
        break;
      default:  // %% % %. %! and any other character: the character itself
        out += e;
        break;
    }
  }
  return ERROR_SUCCESS;
}

}  // namespace tov::posix
