#include "eventlog/message_text.h"

namespace tov::eventlog {

std::vector<std::string> SplitFileList(std::string_view list) {
  std::vector<std::string> names;
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(';', start);
    if (end == std::string_view::npos) end = list.size();
    if (end > start) names.emplace_back(list.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

std::optional<ParameterReference> FindParameterReference(std::string_view text) {
  size_t position = text.find("%%");
  if (position == std::string_view::npos) return std::nullopt;
  size_t end = position + 2;
  ULONGLONG number = 0;
  while (end < text.size() && end - position - 2 < kMaxParameterDigits && text[end] >= '0' &&
         text[end] <= '9') {
    number = number * 10 + static_cast<ULONGLONG>(text[end] - '0');  // 16 digits fit in 64 bits
    ++end;
  }
  // A number beyond 32 bits names no message; it is treated as no number.
  DWORD value = number > 0xFFFFFFFFu ? 0 : static_cast<DWORD>(number);
  return ParameterReference{position, end - position, value};
}

void TrimTrailingWhitespace(std::string& text) {
  size_t keep = text.find_last_not_of(" \t\n\v\f\r");
  text.erase(keep == std::string::npos ? 0 : keep + 1);
}

std::string FallbackDescription(WORD event_code, std::string_view source,
                                const std::vector<const char*>& strings) {
  std::string text = "The description for Event ID ( ";
  text += std::to_string(event_code);
  text += " ) in Source ( ";
  text += source;
  text +=
      " ) cannot be found. The local computer may not have the necessary registry "
      "information or message DLL files to display messages from a remote computer. "
      "The following information is part of the event: ";
  for (size_t i = 0; i < strings.size(); ++i) {
    if (i > 0) text += ", ";
    text += strings[i];
  }
  return text;
}

}  // namespace tov::eventlog
