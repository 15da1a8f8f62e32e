// The typed helpers of the test registry, the same on both platforms.
#include "tests/cfgmgr/test_registry.h"

namespace tov::test {

void TestRegistry::Text(const std::string& key, const std::string& name, const std::string& text,
                        DWORD type) {
  Put(key, name, type, text + '\0');
}

void TestRegistry::Lines(const std::string& key, const std::string& name,
                         const std::vector<std::string>& texts) {
  std::string bytes;
  for (const std::string& text : texts) bytes += text + '\0';
  Put(key, name, REG_MULTI_SZ, bytes + '\0');
}

void TestRegistry::Dword(const std::string& key, const std::string& name, DWORD value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(value >> (8 * i));
  Put(key, name, REG_DWORD, bytes);
}

}  // namespace tov::test
