/// The keys, values and environment variables the contract tests read. Each
/// platform's set-up (contract_machine_*.cpp) puts exactly these in place: into
/// a machine model on Linux, into the real registry and environment on Windows.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "win32_api.h"

namespace tov::test {

/// The root of the test keys, below HKEY_LOCAL_MACHINE.
inline constexpr const char* kContractRoot = "SOFTWARE\\TovTest";

struct ContractValue {
  std::string key;   // path below HKEY_LOCAL_MACHINE
  std::string name;  // empty: the key's default value
  DWORD type;
  std::string data;  // the bytes exactly as stored
};

struct ContractVariable {
  std::string name;
  std::string value;
};

/// Keys in order of creation (parents first), including keys without values.
const std::vector<std::string>& ContractKeys();
const std::vector<ContractValue>& ContractValues();
const std::vector<ContractVariable>& ContractVariables();

/// Installs the test machine for the tests of one suite, and removes it.
void InstallContractMachine();
void RemoveContractMachine();

/// Base of the contract test suites: the test machine is in place for the suite.
class ContractTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { InstallContractMachine(); }
  static void TearDownTestSuite() { RemoveContractMachine(); }
};

/// An open registry key, closed when it goes.
struct KeyCloser {
  void operator()(HKEY key) const { RegCloseKey(key); }
};
using ScopedKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

/// An event or thread handle, closed when it goes.
struct HandleCloser {
  void operator()(HANDLE h) const { CloseHandle(h); }
};
using ScopedHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

/// Opens `path` below `root` for reading; null when that fails.
inline ScopedKey OpenKey(HKEY root, const char* path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return nullptr;
  return ScopedKey(key);
}

}  // namespace tov::test
