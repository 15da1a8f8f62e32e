// On Linux the platform operations answer from an installed machine: this
// test program installs a default one (ANSI code page 1252) for all its tests.
#include <gtest/gtest.h>

#include <memory>

#include "platform/machine/current_machine.h"

namespace {

class DefaultMachine : public testing::Environment {
 public:
  void SetUp() override { m_scope = std::make_unique<tov::machine::ScopedMachine>(m_machine); }
  void TearDown() override { m_scope.reset(); }

 private:
  tov::machine::Machine m_machine;
  std::unique_ptr<tov::machine::ScopedMachine> m_scope;
};

testing::Environment* const g_pDefaultMachine =
    testing::AddGlobalTestEnvironment(new DefaultMachine);

}  // namespace
