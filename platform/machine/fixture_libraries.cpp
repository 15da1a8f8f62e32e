// The "libraries" section of a machine fixture: name -> exported entry points.
#include "platform/machine/fixture_sections.h"

namespace tov::machine {

void ParseLibrariesSection(const FixtureNode& section, Machine& machine) {
  for (const auto& [name, exports] : section.Members()) {
    MachineLibrary& library = machine.Library(name);
    for (const FixtureNode& entry : exports.Elements()) library.Export(entry.Word());
  }
}

}  // namespace tov::machine
