// The contract tests' machine on Linux: a machine model built from the shared
// data and installed for the suite.
#include <gtest/gtest.h>

#include <memory>

#include "platform/machine/current_machine.h"
#include "tests/platform/contract_data.h"

namespace tov::test {

namespace {
std::unique_ptr<machine::Machine> g_machine;
std::unique_ptr<machine::ScopedMachine> g_use;
}  // namespace

void InstallContractMachine() {
  g_machine = std::make_unique<machine::Machine>();
  for (const std::string& key : ContractKeys()) g_machine->Registry().Key(key);
  for (const ContractValue& v : ContractValues()) {
    g_machine->Registry().Key(v.key).Raw(v.name, v.type,
                                         std::vector<uint8_t>(v.data.begin(), v.data.end()));
  }
  for (const ContractVariable& v : ContractVariables()) g_machine->Env(v.name, v.value);
  g_use = std::make_unique<machine::ScopedMachine>(*g_machine);
}

void RemoveContractMachine() {
  // Every key, event and thread a contract test opened must be closed again.
  EXPECT_EQ(g_machine->OpenHandles(), 0) << "handles left open by the suite";
  g_use.reset();
  g_machine.reset();
}

}  // namespace tov::test
