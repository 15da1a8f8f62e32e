// Tests that need no particular machine still create events and threads,
// which on Linux are handles of a machine: they get an empty one. A test that
// builds its own machine installs it over this one.
#include <gtest/gtest.h>

#include "platform/machine/current_machine.h"

namespace {

class DefaultMachine : public testing::Environment {
 public:
  void SetUp() override { m_pUse = std::make_unique<tov::machine::ScopedMachine>(m_machine); }
  void TearDown() override { m_pUse.reset(); }

 private:
  tov::machine::Machine m_machine;
  std::unique_ptr<tov::machine::ScopedMachine> m_pUse;
};

const testing::Environment* const g_pDefaultMachine =
    testing::AddGlobalTestEnvironment(new DefaultMachine);

}  // namespace
