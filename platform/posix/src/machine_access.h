// What the posix implementations of the platform operations ask of the machine
// model that is in use. Private to platform/posix.
#pragma once

#include "win32/base_types.h"

namespace tov::posix {

/// The ANSI code page of the machine in use (1252 when it names none).
UINT MachineAnsiCodePage();

}  // namespace tov::posix
