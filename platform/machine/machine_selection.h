/// Where the Linux program's machine comes from: the JSON fixture named by the
/// environment variable TOV_MACHINE, or, without it, the live Linux system the
/// program runs on (live/live_source.h), read below the folder TOV_LIVE_ROOT
/// names (a captured tree) or below "/".
#pragma once

#include <memory>
#include <string>

#include "platform/machine/machine.h"

namespace tov::machine {

/// The machine described by the fixture TOV_MACHINE names, else the live
/// system's; null with `*error` saying what is wrong (an unreadable or bad
/// fixture, a TOV_LIVE_ROOT that is not a folder).
std::unique_ptr<Machine> LoadMachineFromEnvironment(std::string* error);

/// Loads that machine and installs it for the rest of the process; the
/// program calls this once at start-up. False, with `*error`, when it cannot,
/// or when a machine is installed already.
bool InstallFromEnvironment(std::string* error);

}  // namespace tov::machine
