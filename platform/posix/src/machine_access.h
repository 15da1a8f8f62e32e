// What the posix implementations of the platform operations ask of the machine
// model that is in use. Private to platform/posix.
#pragma once

#include "platform/machine/machine.h"
#include "win32/base_types.h"

namespace tov::posix {

/// The installed machine for one call of `operation`, which is counted on it;
/// null, with the last error set to ERROR_NOT_READY, when none is installed,
/// and null, with the operation's own failure code as the last error, when an
/// injected fault fails this call.
machine::Machine* MachineFor(const char* operation);

/// The ANSI code page of the installed machine; 0 (and ERROR_NOT_READY) when
/// none is installed.
UINT MachineAnsiCodePage();

}  // namespace tov::posix
