/// Start-up and end of the program on Linux: the machine it reports on, its
/// own file, its argument vector and its answer to Ctrl-C.
#pragma once

#include <string>

#include "platform/machine/machine.h"

namespace tov::terminal {

/// Adds the program's file, with the program's version resource, to a
/// machine: GetModuleFileNameA and the version operations then find it.
void AddProgramFile(machine::Machine& machine);

/// Installs the machine of the fixture TOV_MACHINE names, or the live host's
/// (machine_selection.h); adds the program's file to it (AddProgramFile);
/// publishes the arguments as
/// __argc/__argv in the machine's ANSI code page, as the platform's C runtime
/// gives them; and routes SIGINT, SIGTERM and SIGHUP to the terminal surface
/// (interrupt.h); then installs the injected fault TOV_FAULT names, if any
/// (posix/src/fault_injection.h). False, with `*error`, when there is no
/// machine or TOV_FAULT is not a fault plan.
bool StartProgram(int argc, char** argv, std::string* error);

/// The process's exit status for a run that ended with `status`: 128 + the
/// signal when an interrupt came while the report was being written.
int FinalExitStatus(int status);

}  // namespace tov::terminal
