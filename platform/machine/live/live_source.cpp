#include "platform/machine/live/live_source.h"

#include <functional>
#include <future>
#include <system_error>

#include "platform/posix/src/system_exports.h"

namespace tov::machine::live {

std::string LiveRoot::Path(const std::string& system_path) const {
  std::string joined = root;
  while (!joined.empty() && joined.back() == '/') joined.pop_back();
  return joined + system_path;
}

bool LiveRoot::IsHost() const { return root.find_first_not_of('/') == std::string::npos && !root.empty(); }

namespace {

using Reader = std::function<void(Machine&)> (*)(const LiveRoot&);

// Starts `read` on a thread of its own, or runs it when it is asked for
// where no thread can be made.
std::future<std::function<void(Machine&)>> ReadBeside(Reader read, const LiveRoot& where) {
  try {
    return std::async(std::launch::async, read, std::cref(where));
  } catch (const std::system_error&) {
    return std::async(std::launch::deferred, read, std::cref(where));
  }
}

}  // namespace

void LoadLiveMachine(const LiveRoot& where, Machine& machine) {
  // A running system has every library the platform layer implements, with
  // all of their entry points.
  posix::AddSystemLibraries(machine);
  // The three domains read different files and mostly wait on the file
  // system; only adding to the machine is done here, in the order the
  // loaders give.
  auto services = ReadBeside(ReadLiveServices, where);
  auto events = ReadBeside(ReadLiveEventLogs, where);
  LoadLiveDevices(where, machine);
  LoadLiveSystem(where, machine);
  services.get()(machine);
  events.get()(machine);
}

}  // namespace tov::machine::live
