#include "platform/machine/live/live_source.h"

#include "platform/machine/live/live_threads.h"
#include "platform/posix/src/system_exports.h"

namespace tov::machine::live {

std::string LiveRoot::Path(const std::string& system_path) const {
  std::string joined = root;
  while (!joined.empty() && joined.back() == '/') joined.pop_back();
  return joined + system_path;
}

bool LiveRoot::IsHost() const { return root.find_first_not_of('/') == std::string::npos; }

void LoadLiveMachine(const LiveRoot& where, Machine& machine) {
  // A running system has every library the platform layer implements, with
  // all of their entry points.
  posix::AddSystemLibraries(machine);
  // The three domains read different files and mostly wait on the file
  // system; only adding to the machine is done here, in the order the
  // loaders give.
  auto services = StartBeside([&where] { return ReadLiveServices(where); });
  auto events = StartBeside([&where] { return ReadLiveEventLogs(where); });
  LoadLiveDevices(where, machine);
  LoadLiveSystem(where, machine);
  services.get()(machine);
  events.get()(machine);
}

}  // namespace tov::machine::live
