// Machine fixtures: a good one fills the machine as its builder would; every
// bad one is refused with the file, the JSON path and the fault.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/machine/current_machine.h"
#include "platform/machine/fixture_loader.h"
#include "win32_api.h"

namespace tov::machine {
namespace {

const std::string kSmallMachine = std::string(TOV_FIXTURES_DIR) + "/small_machine.json";

std::string ValueBytes(const Machine& m, const char* key, const char* name, uint32_t* type) {
  const RegistryKey* k = &m.Registry();
  std::string path = key;
  for (size_t start = 0; k != nullptr && start <= path.size();) {
    size_t cut = path.find('\\', start);
    if (cut == std::string::npos) cut = path.size();
    k = k->FindSubkey(path.substr(start, cut - start));
    start = cut + 1;
  }
  const RegistryValue* v = k ? k->FindValue(name) : nullptr;
  if (v == nullptr) return "<absent>";
  *type = v->type;
  return std::string(v->data.begin(), v->data.end());
}

TEST(FixtureLoader, SmallMachineFillsEveryDomain) {
  using namespace std::string_literals;
  Machine m;
  std::string error;
  ASSERT_TRUE(LoadMachineFixture(kSmallMachine, m, &error)) << error;

  EXPECT_EQ(m.ComputerName(), "WS-0815");
  EXPECT_EQ(m.WindowsDirectory(), "C:\\WINDOWS");
  EXPECT_EQ(m.AnsiCodePage(), 1252u);
  EXPECT_EQ(m.Now(), 1714564800);
  ASSERT_NE(m.FindEnv("SYSTEMROOT"), nullptr);
  EXPECT_EQ(*m.FindEnv("SYSTEMROOT"), "C:\\WINDOWS");

  const char* disk = "SYSTEM\\CurrentControlSet\\Services\\disk";
  const char* disk_class =
      "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E967-E325-11CE-BFC1-08002BE10318}";
  struct Case {
    const char* key;
    const char* name;
    uint32_t type;
    std::string bytes;
  };
  const Case cases[] = {
      {disk, "ImagePath", REG_EXPAND_SZ, "system32\\DRIVERS\\disk.sys\0"s},
      {disk, "Start", REG_DWORD, "\0\0\0\0"s},
      {disk, "Group", REG_SZ, "SCSI Class\0"s},
      {disk, "DependOnGroup", REG_MULTI_SZ, "SCSI miniport\0Boot Bus Extender\0\0"s},
      {"SYSTEM\\CurrentControlSet\\Services\\disk\\Enum", "Raw", REG_BINARY, "\x01\x00\xff\x7f"s},
      {disk_class, "", REG_SZ, "Disk drives\0"s},
      {disk_class, "Unterminated", REG_SZ, "Disk"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    uint32_t type = 0;
    EXPECT_EQ(ValueBytes(m, c.key, c.name, &type), c.bytes);
    EXPECT_EQ(type, c.type);
  }
  const RegistryKey* services = m.Registry().FindSubkey("SYSTEM")->FindSubkey("CurrentControlSet");
  ASSERT_NE(services, nullptr);
  ASSERT_EQ(services->Subkeys().size(), 2u);
  EXPECT_EQ(services->Subkeys()[0]->Name(), "Services") << "keys in the order of the file";
  EXPECT_EQ(services->Subkeys()[1]->Name(), "Control");

  ASSERT_NE(m.Files().Find("c:\\windows\\SYSTEM32\\drivers\\disk.sys"), nullptr);
  EXPECT_EQ(m.Files().Find("C:\\WINDOWS\\system32\\drivers\\disk.sys")->Attributes(),
            static_cast<uint32_t>(FILE_ATTRIBUTE_ARCHIVE));
  EXPECT_EQ(m.Files().Find("C:\\WINDOWS\\system32\\svchost.exe")->Attributes(),
            static_cast<uint32_t>(FILE_ATTRIBUTE_NORMAL));
  ASSERT_NE(m.Libraries().Find("cfgmgr32.dll"), nullptr);
  EXPECT_TRUE(m.Libraries().Find("cfgmgr32.dll")->HasExport("CM_Get_Version"));
  EXPECT_FALSE(m.Libraries().Find("cfgmgr32.dll")->HasExport("CM_Get_Child"));
  ASSERT_NE(m.Libraries().Find("NEWDEV.DLL"), nullptr);
  EXPECT_TRUE(m.Libraries().Find("NEWDEV.DLL")->ExportNames().empty());
}

TEST(FixtureLoader, TextsTakeTheMachinesCodePageWhereverItIsNamed) {
  struct Case {
    const char* json;
    std::string name;
  };
  const Case cases[] = {
      {R"({"computer": {"name": "CAFÉ"}})", "CAF\xC9"},
      {R"({"computer": {"name": "CAFÉ", "ansiCodePage": 65001}})", "CAF\xC3\x89"},
      {R"({"computer": {"name": "€"}})", "\x80"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.json);
    Machine m;
    std::string error;
    ASSERT_TRUE(ParseMachineFixture(c.json, "fixture.json", m, &error)) << error;
    EXPECT_EQ(m.ComputerName(), c.name);
  }
}

struct BadFixture {
  const char* json;
  const char* message;
};

const BadFixture kBadFixtures[] = {
    {R"([])", "fixture.json: (top level): expected an object, found array"},
    {R"({"registy": {}})", "fixture.json: /registy: unknown section"},
    {R"({"computer": {"nmae": "X"}})",
     "fixture.json: /computer/nmae: unknown member (expected: name, windowsDirectory, "
     "ansiCodePage, now)"},
    {R"({"computer": {"name": 5}})", "fixture.json: /computer/name: expected a string, found number"},
    {R"({"computer": {"name": "日本"}})",
     "fixture.json: /computer/name: text \"日本\" is not representable in code page 1252"},
    {R"({"computer": {"ansiCodePage": 932}})",
     "fixture.json: /computer/ansiCodePage: code page 932 is not supported (1252 or 65001)"},
    {R"({"computer": {"now": "yesterday"}})",
     "fixture.json: /computer/now: expected a time as \"YYYY-MM-DDTHH:MM:SSZ\" or seconds since "
     "1970, found \"yesterday\""},
    {R"({"computer": {"now": "2024-02-30T00:00:00Z"}})",
     "fixture.json: /computer/now: no such time: \"2024-02-30T00:00:00Z\""},
    {R"({"computer": []})", "fixture.json: /computer: expected an object, found array"},
    {R"({"environment": {"PATH": ["a"]}})",
     "fixture.json: /environment/PATH: expected a string, found array"},
    {R"({"registry": {"SYSTEM\\Foo": {"values": [{"type": "REG_XX", "data": "x"}]}}})",
     "fixture.json: /registry/SYSTEM\\Foo/values/0/type: unknown type \"REG_XX\""},
    {R"({"registry": {"A": {"values": [{"type": "REG_BINARY", "hex": "01 0g"}]}}})",
     "fixture.json: /registry/A/values/0/hex: bad hex digit 'g' at offset 4"},
    {R"({"registry": {"A": {"values": [{"type": "REG_BINARY", "hex": "012"}]}}})",
     "fixture.json: /registry/A/values/0/hex: odd number of hex digits"},
    {R"({"registry": {"A": {"values": [{"type": "REG_BINARY", "data": "01"}]}}})",
     "fixture.json: /registry/A/values/0/data: type REG_BINARY takes \"hex\", not \"data\""},
    {R"({"registry": {"A": {"values": [{"type": "REG_SZ"}]}}})",
     "fixture.json: /registry/A/values/0: a value needs either \"data\" or \"hex\""},
    {R"({"registry": {"A": {"values": [{"type": "REG_SZ", "data": "x", "hex": "78"}]}}})",
     "fixture.json: /registry/A/values/0: a value needs either \"data\" or \"hex\""},
    {R"({"registry": {"A": {"values": [{"name": "x", "data": "x"}]}}})",
     "fixture.json: /registry/A/values/0: a value needs a \"type\""},
    {R"({"registry": {"A": {"values": [{"type": "REG_DWORD", "data": 4294967296}]}}})",
     "fixture.json: /registry/A/values/0/data: number 4294967296 is above 4294967295"},
    {R"({"registry": {"A": {"values": [{"type": "REG_DWORD", "data": -1}]}}})",
     "fixture.json: /registry/A/values/0/data: expected a whole number from 0, found number"},
    {R"({"registry": {"A": {"values": [{"type": "REG_DWORD", "data": 1.5}]}}})",
     "fixture.json: /registry/A/values/0/data: expected a whole number from 0, found number"},
    {R"({"registry": {"A": {"values": [{"type": "REG_MULTI_SZ", "data": ["a", 2]}]}}})",
     "fixture.json: /registry/A/values/0/data/1: expected a string, found number"},
    {R"({"registry": {"A": {"values": {"type": "REG_SZ"}}}})",
     "fixture.json: /registry/A/values: expected an array, found object"},
    {R"({"registry": {"A/B~C": {"vals": []}}})",
     "fixture.json: /registry/A~1B~0C/vals: unknown member (expected: values)"},
    {R"({"registry": {"\\SYSTEM": {}}})",
     "fixture.json: /registry/\\SYSTEM: a key path is relative to HKLM and not empty"},
    {R"({"files": {"C:\\x.sys": {"attributes": ["SHINY"]}}})",
     "fixture.json: /files/C:\\x.sys/attributes/0: unknown attribute \"SHINY\""},
    {R"({"libraries": {"X.DLL": "Entry"}})",
     "fixture.json: /libraries/X.DLL: expected an array, found string"},
};

TEST(FixtureLoader, BadFixturesNameTheFileThePathAndTheFault) {
  for (const BadFixture& c : kBadFixtures) {
    SCOPED_TRACE(c.json);
    Machine m;
    std::string error;
    EXPECT_FALSE(ParseMachineFixture(c.json, "fixture.json", m, &error));
    EXPECT_EQ(error, c.message);
  }
}

TEST(FixtureLoader, MalformedJsonGivesThePlaceOfTheFault) {
  Machine m;
  std::string error;
  EXPECT_FALSE(ParseMachineFixture("{\n  \"registry\": }\n", "fixture.json", m, &error));
  EXPECT_EQ(error.rfind("fixture.json: malformed JSON: ", 0), 0u) << error;
  EXPECT_NE(error.find("line 2"), std::string::npos) << error;
}

TEST(FixtureLoader, UnreadableFileIsNamed) {
  Machine m;
  std::string error;
  EXPECT_FALSE(LoadMachineFixture("/nonexistent/machine.json", m, &error));
  EXPECT_EQ(error, "/nonexistent/machine.json: cannot open the machine fixture: No such file or directory");
}

}  // namespace
}  // namespace tov::machine
