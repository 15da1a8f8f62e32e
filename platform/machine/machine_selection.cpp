#include "platform/machine/machine_selection.h"

#include <sys/stat.h>

#include <cstdlib>

#include "platform/machine/current_machine.h"
#include "platform/machine/fixture_loader.h"
#include "platform/machine/live/live_source.h"

namespace tov::machine {

std::unique_ptr<Machine> LoadMachineFromEnvironment(std::string* error) {
  auto machine = std::make_unique<Machine>();
  const char* path = std::getenv("TOV_MACHINE");
  if (path != nullptr && *path != '\0') {
    if (!LoadMachineFixture(path, *machine, error)) return nullptr;
    return machine;
  }
  live::LiveRoot where;
  const char* root = std::getenv("TOV_LIVE_ROOT");
  if (root != nullptr && *root != '\0') {
    // A mistyped root would give a silently empty machine.
    struct stat st;
    if (stat(root, &st) != 0 || !S_ISDIR(st.st_mode)) {
      *error = std::string(root) + ": TOV_LIVE_ROOT is not a folder";
      return nullptr;
    }
    where.root = root;
  }
  live::LoadLiveMachine(where, *machine);
  return machine;
}

bool InstallFromEnvironment(std::string* error) {
  if (CurrentMachine() != nullptr) {
    *error = "a machine is installed already";
    return false;
  }
  std::unique_ptr<Machine> machine = LoadMachineFromEnvironment(error);
  if (!machine) return false;
  // Both live until the process ends: operations may run until the last moment.
  static std::unique_ptr<Machine> installed;
  static std::unique_ptr<ScopedMachine> use;
  installed = std::move(machine);
  use = std::make_unique<ScopedMachine>(*installed);
  return true;
}

}  // namespace tov::machine
