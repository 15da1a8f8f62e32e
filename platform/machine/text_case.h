/// ASCII case-insensitive comparison, the way the machine model matches registry
/// key and value names, environment variable names, file paths and library
/// names (letters outside ASCII compare as they are).
#pragma once

#include <string>
#include <string_view>

namespace tov::machine {

/// <0, 0 or >0 as `a` sorts before, equal to or after `b` with both lower-cased.
int CompareIgnoreCase(std::string_view a, std::string_view b);

inline bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  return CompareIgnoreCase(a, b) == 0;
}

/// Ordering for maps keyed by names that ignore case.
struct LessIgnoreCase {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const {
    return CompareIgnoreCase(a, b) < 0;
  }
};

}  // namespace tov::machine
