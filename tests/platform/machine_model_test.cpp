// The machine model's builder and lookups: what a test or fixture builds is
// what the platform operations find.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/machine/current_machine.h"
#include "win32_api.h"

namespace tov::machine {
namespace {

std::vector<std::string> SubkeyNames(const RegistryKey& key) {
  std::vector<std::string> names;
  for (const auto& sub : key.Subkeys()) names.push_back(sub->Name());
  return names;
}

TEST(MachineBuilder, KeysKeepInsertionOrderAndMergeIgnoringCase) {
  Machine m;
  m.Registry().Key("SYSTEM\\Zeta");
  m.Registry().Key("system\\Alpha\\Leaf");
  m.Registry().Key("SYSTEM\\ALPHA").Key("Second");
  m.Registry().Key("\\SYSTEM\\\\Mid\\");
  const RegistryKey* system = m.Registry().FindSubkey("System");
  ASSERT_NE(system, nullptr);
  EXPECT_EQ(SubkeyNames(m.Registry()), std::vector<std::string>{"SYSTEM"});
  EXPECT_EQ(SubkeyNames(*system), (std::vector<std::string>{"Zeta", "Alpha", "Mid"}));
  EXPECT_EQ(SubkeyNames(*system->FindSubkey("alpha")), (std::vector<std::string>{"Leaf", "Second"}));
}

TEST(MachineBuilder, ValuesAreStoredAsTheirRegistryBytes) {
  using namespace std::string_literals;
  Machine m;
  RegistryKey& key = m.Registry()
                         .Key("K")
                         .Sz("Text", "ab")
                         .ExpandSz("Path", "%X%")
                         .MultiSz("List", {"a", "bc"})
                         .MultiSz("None", {})
                         .Dword("Num", 0x01020304)
                         .Binary("Bin", {9, 8})
                         .Raw("", REG_NONE, {});
  struct Case {
    const char* name;
    uint32_t type;
    std::string bytes;
  };
  const Case cases[] = {
      {"Text", REG_SZ, "ab\0"s},        {"Path", REG_EXPAND_SZ, "%X%\0"s},
      {"List", REG_MULTI_SZ, "a\0bc\0\0"s}, {"None", REG_MULTI_SZ, "\0"s},
      {"Num", REG_DWORD, "\x04\x03\x02\x01"s}, {"Bin", REG_BINARY, "\x09\x08"s},
      {"", REG_NONE, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const RegistryValue* v = key.FindValue(c.name);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->type, c.type);
    EXPECT_EQ(std::string(v->data.begin(), v->data.end()), c.bytes);
  }
}

TEST(MachineBuilder, ValueOfTheSameNameIsReplacedInPlace) {
  Machine m;
  RegistryKey& key = m.Registry().Key("K").Sz("First", "1").Sz("Second", "2").Dword("FIRST", 7);
  ASSERT_EQ(key.Values().size(), 2u);
  EXPECT_EQ(key.Values()[0].name, "First");
  EXPECT_EQ(key.Values()[0].type, static_cast<uint32_t>(REG_DWORD));
}

TEST(MachineBuilder, EnvironmentNamesIgnoreCase) {
  Machine m;
  m.Env("SystemRoot", "C:\\WINDOWS").Env("SYSTEMROOT", "D:\\WIN");
  ASSERT_NE(m.FindEnv("systemroot"), nullptr);
  EXPECT_EQ(*m.FindEnv("systemroot"), "D:\\WIN");
  EXPECT_EQ(m.FindEnv("windir"), nullptr);
}

TEST(MachineBuilder, ScopedMachinesNestAndRestore) {
  Machine outer, inner;
  EXPECT_EQ(CurrentMachine(), nullptr);
  {
    ScopedMachine use_outer(outer);
    {
      ScopedMachine use_inner(inner);
      EXPECT_EQ(CurrentMachine(), &inner);
    }
    EXPECT_EQ(CurrentMachine(), &outer);
  }
  EXPECT_EQ(CurrentMachine(), nullptr);
}

TEST(MachineBuilder, ClockIsRealUntilFixed) {
  Machine m;
  int64_t before = static_cast<int64_t>(std::time(nullptr));
  int64_t now = m.Now();
  EXPECT_GE(now, before);
  EXPECT_LE(now, static_cast<int64_t>(std::time(nullptr)));
  m.Now(12345);
  EXPECT_EQ(m.Now(), 12345);
}

TEST(FileModel, AttributesOfFilesAndFolders) {
  Machine m;
  m.WindowsDirectory("C:\\WINDOWS");
  m.File("C:\\WINDOWS\\System32\\drivers\\disk.sys").Attributes(FILE_ATTRIBUTE_ARCHIVE);
  m.File("D:\\Tools\\app.exe");
  m.File("D:\\Empty").Attributes(FILE_ATTRIBUTE_DIRECTORY);
  ScopedMachine use(m);
  struct Case {
    const char* path;
    DWORD attributes;
    DWORD error;  // when INVALID_FILE_ATTRIBUTES
  };
  const Case cases[] = {
      {"C:\\WINDOWS\\System32\\drivers\\disk.sys", FILE_ATTRIBUTE_ARCHIVE, 0},
      {"c:/windows/SYSTEM32/DRIVERS/DISK.SYS", FILE_ATTRIBUTE_ARCHIVE, 0},
      {"D:\\Tools\\app.exe", FILE_ATTRIBUTE_NORMAL, 0},
      {"C:\\WINDOWS\\System32\\drivers", FILE_ATTRIBUTE_DIRECTORY, 0},
      {"C:\\WINDOWS\\system32\\", FILE_ATTRIBUTE_DIRECTORY, 0},
      {"C:\\", FILE_ATTRIBUTE_DIRECTORY, 0},
      {"D:\\Tools", FILE_ATTRIBUTE_DIRECTORY, 0},
      {"D:\\Empty", FILE_ATTRIBUTE_DIRECTORY, 0},
      {"C:\\WINDOWS\\System32\\drivers\\cdrom.sys", INVALID_FILE_ATTRIBUTES, ERROR_FILE_NOT_FOUND},
      {"D:\\Empty\\x.sys", INVALID_FILE_ATTRIBUTES, ERROR_FILE_NOT_FOUND},
      {"C:\\x.sys", INVALID_FILE_ATTRIBUTES, ERROR_FILE_NOT_FOUND},
      {"D:\\Tool", INVALID_FILE_ATTRIBUTES, ERROR_FILE_NOT_FOUND},
      {"C:\\WINDOWS\\Nope\\x.sys", INVALID_FILE_ATTRIBUTES, ERROR_PATH_NOT_FOUND},
      {"D:\\Tools\\app.exe\\x", INVALID_FILE_ATTRIBUTES, ERROR_PATH_NOT_FOUND},
      {"E:\\x.sys", INVALID_FILE_ATTRIBUTES, ERROR_PATH_NOT_FOUND},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    SetLastError(0);
    EXPECT_EQ(GetFileAttributesA(c.path), c.attributes);
    if (c.attributes == INVALID_FILE_ATTRIBUTES) {
      EXPECT_EQ(GetLastError(), c.error);
    }
  }
}

TEST(SystemModel, NamesAndCodePageComeFromTheMachine) {
  Machine m;
  m.ComputerName("BUILD-07").WindowsDirectory("D:\\WINNT").AnsiCodePage(65001);
  ScopedMachine use(m);
  char buf[MAX_PATH];
  DWORD size = sizeof buf;
  EXPECT_EQ(GetWindowsDirectoryA(buf, MAX_PATH), 8u);
  EXPECT_STREQ(buf, "D:\\WINNT");
  EXPECT_TRUE(GetComputerNameA(buf, &size));
  EXPECT_STREQ(buf, "BUILD-07");
  EXPECT_EQ(GetACP(), 65001u);
  WCHAR wide[4];
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "\xc3\xa9", 2, wide, 4), 1) << "UTF-8 as the ANSI page";
  EXPECT_EQ(wide[0], 0xE9);
}

}  // namespace
}  // namespace tov::machine
