// Registry readers over a registry of the test's own: the machine model on
// Linux, the real registry under Wine. Types, sizes, terminators and the
// expansion of environment references.
#include "cfgmgr/registry_readers.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "cfgmgr/class_key_readers.h"
#include "cfgmgr/service_image_path.h"
#include "tests/cfgmgr/test_registry.h"

namespace tov::test {
namespace {

const std::string kValues = std::string(kTestKeyRoot) + "\\Values";

struct ReadCase {
  const char* name;  // value name; null: the key's default value
  DWORD size;        // buffer size
  bool read;
  std::string text;
};

class RegistryReaders : public ::testing::Test {
 protected:
  // Reads with `read` from the key kValues, which must open.
  BOOL WithValuesKey(const std::function<BOOL(HKEY)>& read) {
    ScopedRegKey key = OpenKeyForRead(HKEY_LOCAL_MACHINE, kValues.c_str());
    EXPECT_TRUE(key != nullptr);
    return key ? read(key.get()) : FALSE;
  }

  TestRegistry registry_;
};

TEST_F(RegistryReaders, RegReadStringTakesTextsThatFitWithTheirNul) {
  registry_.Text(kValues, "", "default text");
  registry_.Text(kValues, "Provider", "Intel");
  registry_.Put(kValues, "NoNul", REG_SZ, "abc");
  registry_.Text(kValues, "Longest", std::string(259, 'x'));
  registry_.Text(kValues, "TooLong", std::string(260, 'x'));
  registry_.Dword(kValues, "Number", 7);
  registry_.Lines(kValues, "List", {"a", "b"});
  const ReadCase cases[] = {
      {nullptr, 260, true, "default text"},
      {"Provider", 260, true, "Intel"},
      {"Provider", 6, true, "Intel"},
      {"Provider", 5, false, ""},
      {"NoNul", 260, true, "abc"},
      {"Longest", 260, true, std::string(259, 'x')},
      {"TooLong", 260, false, ""},
      {"Number", 260, false, ""},
      {"List", 260, false, ""},
      {"Absent", 260, false, ""},
  };
  for (const ReadCase& c : cases) {
    std::string buffer(c.size, '#');
    EXPECT_EQ(WithValuesKey([&](HKEY key) { return RegReadString(key, c.name, &buffer[0], c.size); }),
              c.read ? TRUE : FALSE)
        << (c.name ? c.name : "(default)") << " in " << c.size;
    EXPECT_EQ(std::string(buffer.c_str()), c.text) << (c.name ? c.name : "(default)");
  }
}

TEST_F(RegistryReaders, RegReadStringExpandsWhatFitsAndKeepsTheRest) {
  registry_.Env("TOVCFG_DIR", "C:\\drivers");
  registry_.Env("TOVCFG_LONG", std::string(300, 'y'));
  registry_.Text(kValues, "Expand", "%TOVCFG_DIR%\\x.sys", REG_EXPAND_SZ);
  registry_.Text(kValues, "Unknown", "%TOVCFG_UNSET%\\x.sys", REG_EXPAND_SZ);
  registry_.Text(kValues, "TooLong", "%TOVCFG_LONG%", REG_EXPAND_SZ);
  registry_.Text(kValues, "Plain", "%TOVCFG_DIR%", REG_SZ);
  const ReadCase cases[] = {
      {"Expand", 260, true, "C:\\drivers\\x.sys"},
      {"Unknown", 260, true, "%TOVCFG_UNSET%\\x.sys"},
      {"TooLong", 260, true, "%TOVCFG_LONG%"},
      {"Plain", 260, true, "%TOVCFG_DIR%"},
  };
  for (const ReadCase& c : cases) {
    PathBuffer buffer;
    EXPECT_EQ(WithValuesKey([&](HKEY key) { return RegReadString(key, c.name, buffer, c.size); }),
              TRUE)
        << c.name;
    EXPECT_EQ(std::string(buffer), c.text) << c.name;
  }
}

TEST_F(RegistryReaders, RegReadMultiStringGivesOneLinePerString) {
  registry_.Lines(kValues, "Two", {"PCI\\VEN_8086&DEV_100E", "PCI\\VEN_8086"});
  registry_.Lines(kValues, "Empty", {});
  registry_.Put(kValues, "Unended", REG_MULTI_SZ, std::string("a\0b", 3));
  registry_.Lines(kValues, "Fits", {std::string(257, 'z')});      // 257 + 1 + 1 = 259 bytes
  registry_.Lines(kValues, "TooLarge", {std::string(200, 'z'), std::string(60, 'z')});
  registry_.Text(kValues, "Text", "abc");
  const ReadCase cases[] = {
      {"Two", 260, true, "PCI\\VEN_8086&DEV_100E\nPCI\\VEN_8086\n"},
      {"Empty", 260, true, ""},
      {"Unended", 260, true, "a\nb\n"},
      {"Fits", 260, true, std::string(257, 'z') + "\n"},
      {"TooLarge", 260, false, ""},
      {"Text", 260, false, ""},
      {"Absent", 260, false, ""},
  };
  for (const ReadCase& c : cases) {
    PathBuffer buffer;
    EXPECT_EQ(WithValuesKey([&](HKEY key) { return RegReadMultiString(key, c.name, buffer); }),
              c.read ? TRUE : FALSE)
        << c.name;
    EXPECT_EQ(std::string(buffer), c.text) << c.name;
  }
}

TEST_F(RegistryReaders, RegReadDeviceReferenceTakesOnlyADword) {
  struct Case {
    std::function<void()> put;
    bool read;
    ULONG value;
  };
  const Case cases[] = {
      {[&] { registry_.Dword(kValues, "DeviceReference", 0x8a4c2f10); }, true, 0x8a4c2f10},
      {[&] { registry_.Text(kValues, "DeviceReference", "12"); }, false, 0},
      {[&] { registry_.Put(kValues, "DeviceReference", REG_BINARY, "\x01\x02\x03\x04"); }, false, 0},
  };
  for (const Case& c : cases) {
    c.put();
    ULONG value = 99;
    EXPECT_EQ(WithValuesKey([&](HKEY key) { return RegReadDeviceReference(key, &value); }),
              c.read ? TRUE : FALSE);
    EXPECT_EQ(value, c.value);
  }
  registry_.Text(kValues, "Other", "x");  // the key exists, the value not
  ScopedRegKey empty = OpenKeyForRead(HKEY_LOCAL_MACHINE, (std::string(kTestKeyRoot)).c_str());
  ULONG value = 99;
  EXPECT_FALSE(RegReadDeviceReference(empty.get(), &value));
  EXPECT_EQ(value, 0u);
}

TEST_F(RegistryReaders, ResolveServiceImagePathExpandsBeforeApplyingTheRules) {
  PathBuffer windows_dir;
  ASSERT_GT(GetWindowsDirectoryA(windows_dir, MAX_PATH), 0u);
  const std::string services = std::string(kTestKeyRoot) + "\\Services\\";
  registry_.Env("TOVCFG_DRIVERS", "system32\\DRIVERS");
  registry_.Text(services + "expanded", "ImagePath", "%TOVCFG_DRIVERS%\\expanded.sys", REG_EXPAND_SZ);
  registry_.Text(services + "rooted", "ImagePath", "\\SystemRoot\\System32\\drivers\\rooted.sys");
  registry_.Text(services + "none", "Start", "3");
  registry_.Dword(services + "number", "ImagePath", 5);
  struct Case {
    const char* service;
    std::string path;
  };
  const Case cases[] = {
      {"expanded", std::string(windows_dir) + "\\system32\\DRIVERS\\expanded.sys"},
      {"rooted", "\\SystemRoot\\System32\\drivers\\rooted.sys"},
      {"none", std::string(windows_dir) + "\\System32\\drivers\\none.sys"},
      {"number", std::string(windows_dir) + "\\System32\\drivers\\number.sys"},
  };
  for (const Case& c : cases) {
    ScopedRegKey key = OpenKeyForRead(HKEY_LOCAL_MACHINE, (services + c.service).c_str());
    ASSERT_TRUE(key != nullptr) << c.service;
    PathBuffer path;
    EXPECT_TRUE(ResolveServiceImagePath(key.get(), c.service, path, MAX_PATH)) << c.service;
    EXPECT_EQ(std::string(path), c.path);
  }
}

TEST_F(RegistryReaders, ClassKeyReadersReadOneValueOfTheClassKey) {
  const char* guid = "{6D2A5E0C-0000-4E4F-8F21-7465737400C1}";
  const std::string key = std::string("System\\CurrentControlSet\\Control\\Class\\") + guid;
  registry_.Text(key, "", "Test devices");
  registry_.Text(key, "EnumPropPages32", "testui.dll,TestPages");
  registry_.Text(key, "Installer32", "testci.dll,TestInstaller");
  registry_.Text(key, "TroubleShooter-0", "hcp://help/tshoot/test.htm");
  registry_.Lines(key, "LowerFilters", {"lowfilt", "scanfilt"});
  struct Case {
    const char* name;
    BOOL (*read)(LPCSTR, PathBuffer&);
    bool found;
    const char* text;
  };
  const Case cases[] = {
      {"description", GetClassDescription, true, "Test devices"},
      {"property pages", GetClassEnumPropPages, true, "testui.dll,TestPages"},
      {"installer", GetClassInstaller, true, "testci.dll,TestInstaller"},
      {"troubleshooter", GetClassTroubleShooter, true, "hcp://help/tshoot/test.htm"},
      {"lower filters", GetClassLowerFilters, true, "lowfilt\nscanfilt\n"},
      {"upper filters", GetClassUpperFilters, false, ""},
  };
  for (const Case& c : cases) {
    PathBuffer value;
    EXPECT_EQ(c.read(guid, value), c.found ? TRUE : FALSE) << c.name;
    EXPECT_STREQ(value, c.text) << c.name;
    EXPECT_FALSE(c.read("{6D2A5E0C-0000-4E4F-8F21-7465737400C2}", value)) << c.name;
    EXPECT_FALSE(c.read(std::string(221, 'g').c_str(), value)) << c.name;
  }
}

}  // namespace
}  // namespace tov::test
