#include "tests/app/program_platform.h"

#include "platform/machine/current_machine.h"
#include "platform/terminal/program_start.h"

namespace tov::test {

struct ProgramPlatform::State {
  machine::Machine machine;
  std::unique_ptr<machine::ScopedMachine> use;
};

ProgramPlatform::ProgramPlatform() : state_(std::make_unique<State>()) {
  terminal::AddProgramFile(state_->machine);
  state_->use = std::make_unique<machine::ScopedMachine>(state_->machine);
}

ProgramPlatform::~ProgramPlatform() = default;

}  // namespace tov::test
