/// The registry and environment of one test. On Linux a machine model is
/// made and installed for the test; on Windows the keys are written below
/// HKEY_LOCAL_MACHINE and removed again when the test ends. Either way the
/// readers under test see the same keys and values.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "win32_api.h"

namespace tov::test {

/// The key below HKEY_LOCAL_MACHINE under which tests put keys of their own.
inline constexpr const char* kTestKeyRoot = "SOFTWARE\\TovCfgMgrTest";

class TestRegistry {
 public:
  TestRegistry();
  ~TestRegistry();
  TestRegistry(const TestRegistry&) = delete;
  TestRegistry& operator=(const TestRegistry&) = delete;

  /// Puts a value with exactly these bytes into `key` (a path below
  /// HKEY_LOCAL_MACHINE), making the key when needed. An empty name is the
  /// key's default value.
  void Put(const std::string& key, const std::string& name, DWORD type, const std::string& bytes);
  /// A REG_SZ or REG_EXPAND_SZ value with its NUL.
  void Text(const std::string& key, const std::string& name, const std::string& text,
            DWORD type = REG_SZ);
  /// A REG_MULTI_SZ value: each text with its NUL, then the NUL that ends the list.
  void Lines(const std::string& key, const std::string& name, const std::vector<std::string>& texts);
  void Dword(const std::string& key, const std::string& name, DWORD value);
  /// An environment variable seen by ExpandEnvironmentStringsA.
  void Env(const std::string& name, const std::string& value);

 private:
  struct Platform;
  std::unique_ptr<Platform> platform_;
};

}  // namespace tov::test
