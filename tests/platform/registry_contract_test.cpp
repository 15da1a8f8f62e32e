// Documented behaviour of RegOpenKeyExA, RegQueryValueExA and RegCloseKey, on
// the shared test keys (contract_data.cpp).
#include <string>
#include <vector>

#include "tests/platform/contract_data.h"

namespace tov::test {
namespace {

class RegistryContract : public ContractTest {};

const char* NameArg(const ContractValue& v) { return v.name.empty() ? nullptr : v.name.c_str(); }

TEST_F(RegistryContract, EveryValueReadsWholeWithItsTypeOrNotAtAll) {
  for (const ContractValue& v : ContractValues()) {
    SCOPED_TRACE(v.key + " : " + v.name);
    ScopedKey key = OpenKey(HKEY_LOCAL_MACHINE, v.key.c_str());
    ASSERT_TRUE(key);
    const DWORD size = static_cast<DWORD>(v.data.size());

    DWORD type = 0xDEAD, cb = 0;
    EXPECT_EQ(RegQueryValueExA(key.get(), NameArg(v), nullptr, &type, nullptr, &cb), ERROR_SUCCESS)
        << "size query without a buffer";
    EXPECT_EQ(type, v.type);
    EXPECT_EQ(cb, size);

    for (DWORD room : {size, size + 16}) {
      std::vector<BYTE> buf(room + 1, 0xCC);
      cb = room;
      type = 0xDEAD;
      EXPECT_EQ(RegQueryValueExA(key.get(), NameArg(v), nullptr, &type, buf.data(), &cb),
                ERROR_SUCCESS)
          << "room " << room;
      EXPECT_EQ(type, v.type);
      EXPECT_EQ(cb, size);
      EXPECT_EQ(std::string(buf.begin(), buf.begin() + size), v.data);
    }

    if (size > 0) {
      std::vector<BYTE> buf(size, 0xCC);
      cb = size - 1;
      EXPECT_EQ(RegQueryValueExA(key.get(), NameArg(v), nullptr, &type, buf.data(), &cb),
                ERROR_MORE_DATA)
          << "one byte short";
      EXPECT_EQ(cb, size) << "the size needed";
    }
  }
}

TEST_F(RegistryContract, TypeIsOptional) {
  ScopedKey key = OpenKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\TovTest\\Values");
  ASSERT_TRUE(key);
  BYTE buf[16];
  DWORD cb = sizeof buf;
  EXPECT_EQ(RegQueryValueExA(key.get(), "Text", nullptr, nullptr, buf, &cb), ERROR_SUCCESS);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buf)), "hello");
}

TEST_F(RegistryContract, DefaultValueByNullOrEmptyName) {
  ScopedKey root = OpenKey(HKEY_LOCAL_MACHINE, kContractRoot);
  ScopedKey none = OpenKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\TovTest\\NoDefault");
  ASSERT_TRUE(root && none);
  for (const char* name : {static_cast<const char*>(nullptr), ""}) {
    SCOPED_TRACE(name ? "empty name" : "null name");
    char buf[32] = {};
    DWORD type = 0, cb = sizeof buf;
    EXPECT_EQ(RegQueryValueExA(root.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &cb),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_STREQ(buf, "root default");
    cb = sizeof buf;
    EXPECT_EQ(RegQueryValueExA(none.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &cb),
              ERROR_FILE_NOT_FOUND);
  }
}

TEST_F(RegistryContract, KeyAndValueNamesIgnoreCase) {
  ScopedKey key = OpenKey(HKEY_LOCAL_MACHINE, "software\\TOVTEST\\values");
  ASSERT_TRUE(key);
  DWORD cb = 0;
  EXPECT_EQ(RegQueryValueExA(key.get(), "tExT", nullptr, nullptr, nullptr, &cb), ERROR_SUCCESS);
  EXPECT_EQ(cb, 6u);
}

TEST_F(RegistryContract, AbsentKeysAndValues) {
  struct Case {
    const char* path;
    LONG expected;
  };
  const Case cases[] = {
      {"SOFTWARE\\TovTest\\Absent", ERROR_FILE_NOT_FOUND},
      {"SOFTWARE\\TovTest\\Values\\Text", ERROR_FILE_NOT_FOUND},  // a value, not a key
      {"SOFTWARE\\TovTest\\Absent\\Values", ERROR_FILE_NOT_FOUND},
      {"\\SOFTWARE\\TovTest", ERROR_BAD_PATHNAME},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    HKEY key = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x77));
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, c.path, 0, KEY_READ, &key), c.expected);
    EXPECT_EQ(key, nullptr);
  }
  ScopedKey values = OpenKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\TovTest\\Values");
  ASSERT_TRUE(values);
  DWORD cb = 4;
  BYTE buf[4];
  EXPECT_EQ(RegQueryValueExA(values.get(), "Absent", nullptr, nullptr, buf, &cb),
            ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryContract, DoubledAndTrailingBackslashesArePassedOver) {
  for (const char* path : {"SOFTWARE\\\\TovTest\\Values", "SOFTWARE\\TovTest\\Values\\"}) {
    SCOPED_TRACE(path);
    ScopedKey key = OpenKey(HKEY_LOCAL_MACHINE, path);
    ASSERT_TRUE(key);
    DWORD cb = 0;
    EXPECT_EQ(RegQueryValueExA(key.get(), "Text", nullptr, nullptr, nullptr, &cb), ERROR_SUCCESS);
  }
}

TEST_F(RegistryContract, SubkeysOpenRelativeToAnOpenKey) {
  ScopedKey root = OpenKey(HKEY_LOCAL_MACHINE, kContractRoot);
  ASSERT_TRUE(root);
  ScopedKey sub = OpenKey(root.get(), "Values\\Sub");
  ASSERT_TRUE(sub);
  ScopedKey deeper = OpenKey(sub.get(), "DEEPER");
  ASSERT_TRUE(deeper);
  char buf[16] = {};
  DWORD cb = sizeof buf;
  EXPECT_EQ(RegQueryValueExA(deeper.get(), "Leaf", nullptr, nullptr, reinterpret_cast<BYTE*>(buf),
                             &cb),
            ERROR_SUCCESS);
  EXPECT_STREQ(buf, "deep");
  EXPECT_FALSE(OpenKey(sub.get(), "Values")) << "paths are relative to the key given";
}

TEST_F(RegistryContract, EmptySubkeyOpensTheSameKeyAgain) {
  ScopedKey values = OpenKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\TovTest\\Values");
  ASSERT_TRUE(values);
  for (const char* sub : {static_cast<const char*>(nullptr), ""}) {
    ScopedKey again = OpenKey(values.get(), sub);
    ASSERT_TRUE(again);
    DWORD cb = 0;
    EXPECT_EQ(RegQueryValueExA(again.get(), "Text", nullptr, nullptr, nullptr, &cb), ERROR_SUCCESS);
  }
}

TEST_F(RegistryContract, ClosedKeysAreInvalidHandles) {
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kContractRoot, 0, KEY_READ, &key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  DWORD cb = 0;
  HKEY sub = nullptr;
  EXPECT_EQ(RegQueryValueExA(key, nullptr, nullptr, nullptr, nullptr, &cb), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegOpenKeyExA(key, "Values", 0, KEY_READ, &sub), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryContract, QueryArgumentsThatAreRefused) {
  ScopedKey values = OpenKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\TovTest\\Values");
  ASSERT_TRUE(values);
  BYTE buf[16];
  DWORD reserved = 0, cb = sizeof buf;
  EXPECT_EQ(RegQueryValueExA(values.get(), "Text", nullptr, nullptr, buf, nullptr),
            ERROR_INVALID_PARAMETER)
      << "a buffer without its size";
  EXPECT_EQ(RegQueryValueExA(values.get(), "Text", &reserved, nullptr, buf, &cb),
            ERROR_INVALID_PARAMETER)
      << "the reserved argument set";
}

}  // namespace
}  // namespace tov::test
