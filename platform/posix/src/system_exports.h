// The platform layer's implementations of system library entry points, found
// by library and entry-point name. GetProcAddress hands one out only when the
// machine's library also exports that name. Private to platform/posix.
#pragma once

#include <string_view>

#include "win32/library.h"

namespace tov::posix {

/// The implementation of entry point `name` of library `library` (any letter
/// case in the library name, exact entry-point name), or null.
FARPROC FindSystemExport(std::string_view library, std::string_view name);

}  // namespace tov::posix
