// The "devices" section of a machine fixture fills the same device model the
// builder does, and names the place of each fault.
#include <gtest/gtest.h>

#include <string>

#include "platform/machine/fixture_loader.h"
#include "win32_api.h"

namespace tov::test {
namespace {

using machine::DeviceNode;
using machine::Machine;

const char* const kFixture = R"({
  "devices": {
    "version": 1024,
    "globalState": 5,
    "root": {
      "id": "HTREE\\ROOT\\0",
      "children": [
        { "id": "PCI\\VEN_8086&DEV_100E\\3&1&18",
          "properties": { "DEVICEDESC": "Gigabit adapter", "ADDRESS": 196608,
                          "CAPABILITIES": { "type": 3, "hex": "84 00 00 00" },
                          "30": "by number" },
          "status": 10, "problem": 0,
          "configurations": [
            { "type": "ALLOC", "priority": 1,
              "resources": [ { "type": "IRQ", "hex": "01 00 0b 00" },
                             { "type": 1, "unreadableSize": 48 } ] },
            { "type": "BASIC", "resources": [] } ] },
        { "id": "ROOT\\LEGACY_BEEP\\0000", "noStatus": true,
          "children": [ { "id": "ROOT\\LEGACY_BEEP\\0001" } ] } ] },
    "classes": { "{4D36E972-E325-11CE-BFC1-08002BE10318}": { "name": "Net", "characteristics": 132 } },
    "drivers": [ { "inf": "oem3.inf", "description": "Gigabit adapter", "manufacturer": "Intel",
                   "provider": "Intel", "files": ["C:\\WINDOWS\\system32\\DRIVERS\\e1000.sys"],
                   "excludedFromSelect": true } ]
  }
})";

TEST(DeviceFixture, FillsTheTreeClassesAndDrivers) {
  Machine m;
  std::string error;
  ASSERT_TRUE(machine::ParseMachineFixture(kFixture, "devices.json", m, &error)) << error;
  const machine::DeviceModel& d = m.Devices();
  EXPECT_EQ(d.Version(), 0x0400);
  EXPECT_EQ(d.GlobalState(), 5u);

  const DeviceNode* adapter = d.Root()->FirstChild();
  ASSERT_NE(adapter, nullptr);
  EXPECT_EQ(adapter->InstanceId(), "PCI\\VEN_8086&DEV_100E\\3&1&18");
  EXPECT_EQ(adapter->FindProp(CM_DRP_DEVICEDESC)->type, static_cast<uint32_t>(REG_SZ));
  EXPECT_EQ(adapter->FindProp(CM_DRP_ADDRESS)->data, (std::vector<uint8_t>{0, 0, 3, 0}));
  EXPECT_EQ(adapter->FindProp(CM_DRP_CAPABILITIES)->type, static_cast<uint32_t>(REG_BINARY));
  EXPECT_NE(adapter->FindProp(30), nullptr);
  EXPECT_EQ(adapter->StatusAndProblem()->first, 10u);
  ASSERT_EQ(adapter->LogConfs(ALLOC_LOG_CONF).size(), 1u);
  const machine::LogConfig& alloc = *adapter->LogConfs(ALLOC_LOG_CONF)[0];
  EXPECT_EQ(alloc.Priority(), 1u);
  ASSERT_EQ(alloc.Descriptors().size(), 2u);
  EXPECT_EQ(alloc.Descriptors()[0].type, static_cast<RESOURCEID>(ResType_IRQ));
  EXPECT_FALSE(alloc.Descriptors()[1].readable);
  EXPECT_EQ(alloc.Descriptors()[1].data.size(), 48u);
  EXPECT_EQ(adapter->LogConfs(BASIC_LOG_CONF).size(), 1u);

  const DeviceNode* beep = adapter->NextSibling();
  ASSERT_NE(beep, nullptr);
  EXPECT_FALSE(beep->StatusAndProblem().has_value());
  EXPECT_EQ(beep->FirstChild()->InstanceId(), "ROOT\\LEGACY_BEEP\\0001");

  GUID net = {0x4d36e972, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};
  ASSERT_NE(d.FindClass(net), nullptr);
  EXPECT_EQ(d.FindClass(net)->Name(), "Net");
  EXPECT_EQ(*d.FindClass(net)->Characteristics(), 132u);
  ASSERT_EQ(d.Drivers().size(), 1u);
  EXPECT_TRUE(d.Drivers()[0]->IsExcludedFromSelect());
  EXPECT_EQ(d.Drivers()[0]->Files().size(), 1u);
}

TEST(DeviceFixture, NamesThePlaceOfEachFault) {
  struct Case {
    const char* json;
    const char* error;
  };
  const Case cases[] = {
      {R"({"devices": {"root": {"id": "R", "properties": {"COLOUR": "red"}}}})",
       "t.json: /devices/root/properties/COLOUR: unknown device property \"COLOUR\""},
      {R"({"devices": {"root": {"id": "R", "children": [{"id": "A"}, {"id": "a"}]}}})",
       "t.json: /devices/root/children/1: two device nodes with the instance ID a"},
      {R"({"devices": {"root": {"id": "R", "children": [{}]}}})",
       "t.json: /devices/root/children/0: a device node needs an \"id\""},
      {R"({"devices": {"root": {"id": "R", "configurations": [{"type": "SPARE"}]}}})",
       "t.json: /devices/root/configurations/0/type: unknown configuration type \"SPARE\""},
      {R"({"devices": {"root": {"id": "R", "configurations": [{"type": "BOOT", "resources": [{"type": "IO"}]}]}}})",
       "t.json: /devices/root/configurations/0/resources/0: a resource needs either \"hex\" or \"unreadableSize\""},
      {R"({"devices": {"classes": {"4D36E972": {}}}})",
       "t.json: /devices/classes/4D36E972: a class is named by its braced GUID"},
      {R"({"devices": {"drivers": [{"description": "x"}]}})",
       "t.json: /devices/drivers/0: a driver needs its \"inf\""},
      {R"({"devices": {"version": 65536}})", "t.json: /devices/version: a version is a 16-bit number"},
  };
  for (const Case& c : cases) {
    Machine m;
    std::string error;
    EXPECT_FALSE(machine::ParseMachineFixture(c.json, "t.json", m, &error)) << c.json;
    EXPECT_EQ(error, c.error);
  }
}

}  // namespace
}  // namespace tov::test
