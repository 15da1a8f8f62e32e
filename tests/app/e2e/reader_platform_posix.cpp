#include "tests/app/e2e/reader_platform.h"

#include "platform/machine/current_machine.h"

namespace tov::test {

void PrepareReaderPlatform() {
  // An empty machine: records load with its code page; nothing is collected.
  static machine::Machine machine;
  static machine::ScopedMachine use(machine);
}

}  // namespace tov::test
