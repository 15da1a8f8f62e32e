/// The program's texts by string identifier, from resources/strings.inc, for
/// code that needs a text without a resource module (the archive's messages,
/// the Linux build's windows).
#pragma once

#define TOV_STRING(name, value, text) constexpr unsigned name = value;
#include "resources/strings.inc"
#undef TOV_STRING

namespace tov {

/// The text of string `id`, or nullptr when the table has no such string.
inline const char* StringTableText(unsigned id) {
  switch (id) {
#define TOV_STRING(name, value, text) \
  case value:                         \
    return text;
#include "resources/strings.inc"
#undef TOV_STRING
    default:
      return nullptr;
  }
}

}  // namespace tov
