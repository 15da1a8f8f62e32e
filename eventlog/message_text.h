/// The text work of rendering an event's messages, apart from any platform
/// call: message-file lists, parameter references, trimming, and the
/// description used when no message file has the event's message.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "win32_api.h"

namespace tov::eventlog {

/// The names in a message-file list, in order: the parts between ";"
/// separators, without empty parts.
std::vector<std::string> SplitFileList(std::string_view list);

/// A "%%" parameter reference: where it starts, how long it is ("%%" and the
/// digits taken), and the parameter number, which is 0 when no digit follows,
/// when the digits say 0, and when they name no 32-bit number.
struct ParameterReference {
  size_t position;
  size_t length;
  DWORD number;
};

/// Digits taken after "%%" at most.
inline constexpr size_t kMaxParameterDigits = 16;

/// The first "%%" in `text` with the decimal digits after it (at most
/// kMaxParameterDigits), or nothing when `text` holds no "%%".
std::optional<ParameterReference> FindParameterReference(std::string_view text);

/// Removes blanks, tabs, line feeds, vertical tabs, form feeds and carriage
/// returns from the end of `text`.
void TrimTrailingWhitespace(std::string& text);

/// The description of an event whose message no file holds: a fixed sentence
/// naming `event_code` and `source`, then `strings` joined by ", ".
std::string FallbackDescription(WORD event_code, std::string_view source,
                                const std::vector<const char*>& strings);

}  // namespace tov::eventlog
