#include "platform/machine/live/live_source.h"

#include "platform/posix/src/system_exports.h"

namespace tov::machine::live {

std::string LiveRoot::Path(const std::string& system_path) const {
  std::string joined = root;
  while (!joined.empty() && joined.back() == '/') joined.pop_back();
  return joined + system_path;
}

void LoadLiveMachine(const LiveRoot& where, Machine& machine) {
  // A running system has every library the platform layer implements, with
  // all of their entry points.
  posix::AddSystemLibraries(machine);
  LoadLiveDevices(where, machine);
  LoadLiveSystem(where, machine);
  LoadLiveServices(where, machine);
  LoadLiveEventLogs(where, machine);
}

}  // namespace tov::machine::live
