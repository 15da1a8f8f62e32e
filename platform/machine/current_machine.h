/// Which machine the platform operations answer from. Tests install one with
/// ScopedMachine; the program installs the fixture named by TOV_MACHINE, or
/// the live host, at start-up (machine_selection.h). With none installed
/// every operation fails.
#pragma once

#include "platform/machine/machine.h"

namespace tov::machine {

/// The installed machine, or null.
Machine* CurrentMachine();

/// Installs a machine for its own lifetime and then restores the one before.
/// Threads that use the machine must have ended before it goes.
class ScopedMachine {
 public:
  explicit ScopedMachine(Machine& machine);
  ~ScopedMachine();
  ScopedMachine(const ScopedMachine&) = delete;
  ScopedMachine& operator=(const ScopedMachine&) = delete;

 private:
  Machine* previous_;
};

}  // namespace tov::machine
