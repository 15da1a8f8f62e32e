// The contract tests' machine on Windows: the shared keys written below
// HKEY_LOCAL_MACHINE and the variables set in this process, removed again
// after the suite.
#include <cstdio>

#include "tests/platform/contract_data.h"

namespace tov::test {

namespace {
void DeleteTestKeys() { RegDeleteTreeA(HKEY_LOCAL_MACHINE, kContractRoot); }
}  // namespace

void InstallContractMachine() {
  DeleteTestKeys();  // what an interrupted earlier run left behind
  for (const std::string& path : ContractKeys()) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
      std::fprintf(stderr, "cannot create HKLM\\%s\n", path.c_str());
      continue;
    }
    RegCloseKey(key);
  }
  for (const ContractValue& v : ContractValues()) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, v.key.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) {
      continue;
    }
    RegSetValueExA(key, v.name.empty() ? nullptr : v.name.c_str(), 0, v.type,
                   reinterpret_cast<const BYTE*>(v.data.data()), static_cast<DWORD>(v.data.size()));
    RegCloseKey(key);
  }
  for (const ContractVariable& v : ContractVariables()) {
    SetEnvironmentVariableA(v.name.c_str(), v.value.c_str());
  }
}

void RemoveContractMachine() {
  DeleteTestKeys();
  for (const ContractVariable& v : ContractVariables()) {
    SetEnvironmentVariableA(v.name.c_str(), nullptr);
  }
}

}  // namespace tov::test
