// The objects behind the setup library's file queue handles, and the one way
// the Configuration Manager and setup operations release a handle. Private to
// platform/posix.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "platform/machine/device_model.h"
#include "platform/machine/machine.h"

namespace tov::posix {

/// A file queue: the target paths queued so far, in queue order. A queue
/// belongs to the one caller that opened it, so it needs no lock.
struct FileQueue : machine::HandleObject {
  std::vector<std::string> targets;
};

/// Releases `handle` when it is open and of one of `kinds`, and enters the
/// call in the device model's release ledger; false when nothing was released.
inline bool ReleaseDeviceHandle(machine::Machine& m, uintptr_t handle,
                                std::initializer_list<machine::HandleKind> kinds) {
  bool released = m.Handles().Close(handle, kinds);
  m.Devices().Releases().Record(handle, released);
  return released;
}

}  // namespace tov::posix
