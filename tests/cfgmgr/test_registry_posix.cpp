// The test registry on Linux: a machine model of the test's own.
#include <vector>

#include "platform/machine/current_machine.h"
#include "tests/cfgmgr/test_registry.h"

namespace tov::test {

struct TestRegistry::Platform {
  machine::Machine machine;
  machine::ScopedMachine use{machine};
};

TestRegistry::TestRegistry() : platform_(std::make_unique<Platform>()) {}
TestRegistry::~TestRegistry() = default;

void TestRegistry::Put(const std::string& key, const std::string& name, DWORD type,
                       const std::string& bytes) {
  platform_->machine.Registry().Key(key).Raw(name, type,
                                             std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

void TestRegistry::Env(const std::string& name, const std::string& value) {
  platform_->machine.Env(name, value);
}

}  // namespace tov::test
