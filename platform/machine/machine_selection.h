/// Where the Linux program's machine comes from: the JSON fixture named by the
/// environment variable TOV_MACHINE. There is no fallback: without a usable
/// fixture the program has no machine and says why.
#pragma once

#include <memory>
#include <string>

#include "platform/machine/machine.h"

namespace tov::machine {

/// The machine described by the fixture TOV_MACHINE names; null with `*error`
/// saying what is missing or wrong (unset variable, unreadable or bad fixture).
std::unique_ptr<Machine> LoadMachineFromEnvironment(std::string* error);

/// Loads that machine and installs it for the rest of the process; the
/// program calls this once at start-up. False, with `*error`, when it cannot,
/// or when a machine is installed already.
bool InstallFromEnvironment(std::string* error);

}  // namespace tov::machine
