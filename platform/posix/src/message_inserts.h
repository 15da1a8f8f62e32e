// Filling in the inserts of a message text, as FormatMessageA does for a
// message of a module with an argument array. Private to platform/posix; a
// pure function so its syntax can be tested by tables without any machine.
#pragma once

#include <string>
#include <string_view>

#include "win32/base_types.h"

namespace tov::posix {

/// Appends `text` to `out` with its inserts and escapes replaced (syntax in
/// win32/messages.h); `args` holds one DWORD_PTR per insert number, insert n
/// taking args[n - 1], and may be null for a text without inserts. Returns
/// ERROR_SUCCESS, or ERROR_INVALID_PARAMETER for a malformed insert format
/// or an insert without an argument array (`out` then holds a part).
DWORD FillMessageInserts(std::string_view text, const DWORD_PTR* args, std::string& out);

}  // namespace tov::posix
