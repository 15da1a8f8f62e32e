// The test registry on Windows: keys written below HKEY_LOCAL_MACHINE and
// deleted again, variables set in this process and cleared again.
#include <cstdio>

#include "tests/cfgmgr/test_registry.h"

namespace tov::test {

struct TestRegistry::Platform {
  std::vector<std::string> keys;
  std::vector<std::string> variables;
};

TestRegistry::TestRegistry() : platform_(std::make_unique<Platform>()) {
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, kTestKeyRoot);  // what an interrupted run left
}

TestRegistry::~TestRegistry() {
  for (auto it = platform_->keys.rbegin(); it != platform_->keys.rend(); ++it) {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, it->c_str());
  }
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, kTestKeyRoot);
  for (const std::string& name : platform_->variables) SetEnvironmentVariableA(name.c_str(), nullptr);
}

void TestRegistry::Put(const std::string& key, const std::string& name, DWORD type,
                       const std::string& bytes) {
  HKEY hKey = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      &hKey, nullptr) != ERROR_SUCCESS) {
    std::fprintf(stderr, "cannot create HKLM\\%s\n", key.c_str());
    return;
  }
  platform_->keys.push_back(key);
  RegSetValueExA(hKey, name.empty() ? nullptr : name.c_str(), 0, type,
                 reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
  RegCloseKey(hKey);
}

void TestRegistry::Env(const std::string& name, const std::string& value) {
  SetEnvironmentVariableA(name.c_str(), value.c_str());
  platform_->variables.push_back(name);
}

}  // namespace tov::test
