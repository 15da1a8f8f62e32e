/// The event-log tests' machines: a fixed clock, and the registry key of an
/// event source in one call.
#pragma once

#include <cstdint>
#include <string>

#include "platform/machine/current_machine.h"

namespace tov::test {

/// "Now" on every test machine, and the window of a capture.
inline constexpr int64_t kNow = 1'700'000'000;
inline constexpr int64_t kWindow = 864000;

/// The registration key of `source` in `log`, created with its parents.
inline machine::RegistryKey& SourceKey(machine::Machine& m, const std::string& log,
                                       const std::string& source) {
  return m.Registry().Key("SYSTEM\\CurrentControlSet\\Services\\EventLog\\" + log + "\\" + source);
}

}  // namespace tov::test
