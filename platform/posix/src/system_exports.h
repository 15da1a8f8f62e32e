// The platform layer's implementations of system library entry points, found
// by library and entry-point name. GetProcAddress hands one out only when the
// machine's library also exports that name. Private to platform/posix.
#pragma once

#include <string_view>

#include "platform/machine/machine.h"
#include "win32/library.h"

namespace tov::posix {

/// The implementation of entry point `name` of library `library` (any letter
/// case in the library name, exact entry-point name), or null.
FARPROC FindSystemExport(std::string_view library, std::string_view name);

/// Gives `machine` every system library the platform layer provides, each
/// exporting all the entry points implemented for it: the libraries of a
/// running system (the live machine), where none is missing.
void AddSystemLibraries(machine::Machine& machine);

}  // namespace tov::posix
