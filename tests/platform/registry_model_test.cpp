// The registry as the machine model gives it: bytes exactly as built, keys
// counted until closed, and no answers without a machine.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/machine/current_machine.h"
#include "win32_api.h"

namespace tov::machine {
namespace {

std::vector<uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

TEST(RegistryModel, StringsWithoutTerminatorComeBackAsStored) {
  using namespace std::string_literals;
  struct Case {
    const char* name;
    uint32_t type;
    std::string stored;
  };
  const Case cases[] = {
      {"Sz", REG_SZ, "abc"},
      {"ExpandSz", REG_EXPAND_SZ, "%X%"},
      {"MultiSzNoFinalNul", REG_MULTI_SZ, "a\0b\0"s},
      {"MultiSzNoNulAtAll", REG_MULTI_SZ, "a\0b"s},
  };
  Machine m;
  for (const Case& c : cases) m.Registry().Key("K").Raw(c.name, c.type, Bytes(c.stored));
  ScopedMachine use(m);
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "K", 0, KEY_READ, &key), ERROR_SUCCESS);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<BYTE> buf(32, 0xCC);
    DWORD type = 0, cb = static_cast<DWORD>(buf.size());
    ASSERT_EQ(RegQueryValueExA(key, c.name, nullptr, &type, buf.data(), &cb), ERROR_SUCCESS);
    EXPECT_EQ(type, c.type);
    EXPECT_EQ(cb, c.stored.size());
    EXPECT_EQ(std::string(buf.begin(), buf.begin() + cb), c.stored);
    EXPECT_EQ(buf[cb], 0xCC) << "nothing written after the stored bytes";
  }
  RegCloseKey(key);
}

TEST(RegistryModel, TooSmallBufferIsLeftAsItWas) {
  Machine m;
  m.Registry().Key("K").Sz("V", "0123456789");
  ScopedMachine use(m);
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "K", 0, KEY_READ, &key), ERROR_SUCCESS);
  std::vector<BYTE> buf(10, 0xCC);
  DWORD cb = 10;
  EXPECT_EQ(RegQueryValueExA(key, "V", nullptr, nullptr, buf.data(), &cb), ERROR_MORE_DATA);
  EXPECT_EQ(cb, 11u);
  EXPECT_EQ(buf, std::vector<BYTE>(10, 0xCC)) << "no cut value in the buffer";
  RegCloseKey(key);
}

TEST(RegistryModel, EveryOpenedKeyIsCountedUntilClosed) {
  Machine m;
  m.Registry().Key("A\\B\\C");
  ScopedMachine use(m);
  HKEY a = nullptr, b = nullptr, c = nullptr, root = nullptr, missing = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "A", 0, KEY_READ, &a), ERROR_SUCCESS);
  ASSERT_EQ(RegOpenKeyExA(a, "B", 0, KEY_READ, &b), ERROR_SUCCESS);
  ASSERT_EQ(RegOpenKeyExA(b, "", 0, KEY_READ, &c), ERROR_SUCCESS);
  EXPECT_NE(b, c) << "a second handle to the same key";
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "", 0, KEY_READ, &root), ERROR_SUCCESS);
  EXPECT_EQ(root, HKEY_LOCAL_MACHINE) << "the root needs no handle of its own";
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "X", 0, KEY_READ, &missing), ERROR_FILE_NOT_FOUND);

  EXPECT_EQ(m.OpenHandles(kRegistryKeyHandle), 3);
  EXPECT_EQ(m.OpenHandles(), 3);
  EXPECT_EQ(m.Handles().OpenedCount(kRegistryKeyHandle), 3);
  EXPECT_EQ(m.Calls("RegOpenKeyExA"), 5);

  EXPECT_EQ(RegCloseKey(c), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(b), ERROR_SUCCESS);
  EXPECT_EQ(m.OpenHandles(kRegistryKeyHandle), 1);
  EXPECT_EQ(RegCloseKey(a), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
  EXPECT_EQ(m.OpenHandles(), 0);
  EXPECT_EQ(m.Calls("RegCloseKey"), 4);
}

TEST(RegistryModel, KeysOfAnotherMachineAreInvalid) {
  Machine first, second;
  first.Registry().Key("A");
  second.Registry().Key("A");
  HKEY key = nullptr;
  {
    ScopedMachine use(first);
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "A", 0, KEY_READ, &key), ERROR_SUCCESS);
  }
  {
    ScopedMachine use(second);
    DWORD cb = 0;
    EXPECT_EQ(RegQueryValueExA(key, nullptr, nullptr, nullptr, nullptr, &cb), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
  }
  ScopedMachine use(first);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(first.OpenHandles(), 0);
}

TEST(RegistryModel, WithoutMachineEveryOperationFails) {
  ASSERT_EQ(CurrentMachine(), nullptr);
  HKEY key = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x1000));
  DWORD cb = 0;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ, &key), ERROR_NOT_READY);
  EXPECT_EQ(RegQueryValueExA(HKEY_LOCAL_MACHINE, "x", nullptr, nullptr, nullptr, &cb),
            ERROR_NOT_READY);
  EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_NOT_READY);
}

}  // namespace
}  // namespace tov::machine
