#include "platform/posix/src/machine_access.h"

#include <atomic>
#include <cstdio>

#include "platform/machine/current_machine.h"
#include "platform/posix/src/fault_injection.h"
#include "win32/strings.h"

namespace tov::posix {

machine::Machine* MachineFor(const char* operation) {
  // An injected fault fails the call before it reaches the machine, with the
  // last error its platform namesake would set.
  if (FaultFires(operation)) return nullptr;
  machine::Machine* m = machine::CurrentMachine();
  if (m == nullptr) {
    // Said once per process: a run without a machine is a set-up mistake, and
    // the error code alone would leave its cause to guessing.
    static std::atomic<bool> told{false};
    if (!told.exchange(true)) {
      std::fprintf(stderr,
                   "tov platform: %s called with no machine installed "
                   "(set TOV_MACHINE, or use ScopedMachine in a test)\n",
                   operation);
    }
    SetLastError(ERROR_NOT_READY);
    return nullptr;
  }
  m->CallLog().Count(operation);
  return m;
}

UINT MachineAnsiCodePage() {
  machine::Machine* m = MachineFor("GetACP");
  return m == nullptr ? 0 : m->AnsiCodePage();
}

}  // namespace tov::posix
