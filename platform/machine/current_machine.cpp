#include "platform/machine/current_machine.h"

#include <atomic>

namespace tov::machine {

namespace {
// Process-wide, not per thread: worker threads answer from the machine the
// main thread installed.
std::atomic<Machine*> g_current{nullptr};
}  // namespace

Machine* CurrentMachine() { return g_current.load(); }

ScopedMachine::ScopedMachine(Machine& machine) : previous_(g_current.exchange(&machine)) {}

ScopedMachine::~ScopedMachine() { g_current.store(previous_); }

}  // namespace tov::machine
