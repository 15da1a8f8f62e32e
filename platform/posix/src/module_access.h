// What other posix operations need to know about a module handle. Private to
// platform/posix.
#pragma once

#include "platform/machine/machine.h"
#include "win32/library.h"

namespace tov::posix {

/// The machine file behind a data module loaded with LOAD_LIBRARY_AS_DATAFILE
/// on machine `m`, or null when `module` is not such a module.
const machine::MachineFile* DataModuleFile(machine::Machine& m, HMODULE module);

}  // namespace tov::posix
