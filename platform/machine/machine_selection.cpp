#include "platform/machine/machine_selection.h"

#include <cstdlib>

#include "platform/machine/current_machine.h"
#include "platform/machine/fixture_loader.h"

namespace tov::machine {

std::unique_ptr<Machine> LoadMachineFromEnvironment(std::string* error) {
  const char* path = std::getenv("TOV_MACHINE");
  if (path == nullptr || *path == '\0') {
    *error =
        "TOV_MACHINE is not set: name the JSON fixture of the machine to report on "
        "(see docs/machine-fixture.md)";
    return nullptr;
  }
  auto machine = std::make_unique<Machine>();
  if (!LoadMachineFixture(path, *machine, error)) return nullptr;
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
