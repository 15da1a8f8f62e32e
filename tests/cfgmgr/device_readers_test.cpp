// Readers of one device node over a machine: properties with their types and
// sizes, the instance ID at its length limit, status, key paths, INF data,
// service image path and device reference. Every key a reader opens is
// closed before it returns.
#include "cfgmgr/cm_api.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "cfgmgr/class_key_readers.h"
#include "cfgmgr/guid_text.h"
#include "tests/cfgmgr/device_machine.h"

namespace tov::test {
namespace {

using machine::kRegistryKeyHandle;

class DeviceReaders : public ::testing::Test {
 protected:
  ~DeviceReaders() override { EXPECT_EQ(am_.m.OpenHandles(kRegistryKeyHandle), 0); }

  DEVINST Adapter() const { return am_.adapter.Handle(); }
  // A new child of the root with this instance ID.
  DEVINST AddDevice(const std::string& id) { return am_.root.Child(id).Handle(); }

  AdapterMachine am_;
  CCmApi api_;
};

TEST_F(DeviceReaders, GetDevNodeStringTakesAReg_SzThatFitsWithItsNul) {
  struct Case {
    const char* name;
    uint32_t type;
    std::string bytes;
    bool read;
    std::string text;
  };
  const Case cases[] = {
      {"text", REG_SZ, std::string("PCI bus 0, device 3, function 0\0", 32), true,
       "PCI bus 0, device 3, function 0"},
      {"without its NUL", REG_SZ, "abc", true, "abc"},
      {"259 characters", REG_SZ, std::string(259, 'x') + '\0', true, std::string(259, 'x')},
      {"260 characters", REG_SZ, std::string(260, 'x') + '\0', false, ""},
      {"260 bytes without a NUL", REG_SZ, std::string(260, 'x'), false, ""},
      {"another type", REG_MULTI_SZ, std::string("a\0\0", 3), false, ""},
  };
  for (const Case& c : cases) {
    am_.adapter.PropRaw(CM_DRP_LOCATION_INFORMATION, c.type,
                        std::vector<uint8_t>(c.bytes.begin(), c.bytes.end()));
    PathBuffer text;
    EXPECT_EQ(api_.GetDevNodeString(Adapter(), CM_DRP_LOCATION_INFORMATION, text), c.read ? TRUE : FALSE)
        << c.name;
    EXPECT_EQ(std::string(text), c.text) << c.name;
  }
  PathBuffer text;
  EXPECT_FALSE(api_.GetDevNodeString(Adapter(), CM_DRP_FRIENDLYNAME, text));
  EXPECT_FALSE(api_.GetDevNodeString(0, CM_DRP_DEVICEDESC, text));
}

TEST_F(DeviceReaders, GetDevNodeDwordTakesADwordOrBinary) {
  am_.adapter.PropDword(CM_DRP_ADDRESS, 0x00030000)
      .PropRaw(CM_DRP_CAPABILITIES, REG_BINARY, {0x84, 0x00, 0x00, 0x00})
      .PropRaw(CM_DRP_UI_NUMBER, REG_BINARY, {0x07})
      .Prop(CM_DRP_CHARACTERISTICS, "256");
  struct Case {
    ULONG property;
    bool read;
    ULONG value;
  };
  const Case cases[] = {
      {CM_DRP_ADDRESS, true, 0x00030000},
      {CM_DRP_CAPABILITIES, true, 0x84},
      {CM_DRP_UI_NUMBER, true, 0x07},  // a shorter binary value, zero-extended
      {CM_DRP_CHARACTERISTICS, false, 0xDEAD},
      {CM_DRP_BUSNUMBER, false, 0xDEAD},
  };
  for (const Case& c : cases) {
    ULONG value = 0xDEAD;
    EXPECT_EQ(api_.GetDevNodeDword(Adapter(), c.property, &value), c.read ? TRUE : FALSE) << c.property;
    EXPECT_EQ(value, c.value) << c.property;
  }
}

TEST_F(DeviceReaders, ClassGuidAndNameComeFromTheParsedClassGuidProperty) {
  GUID guid{};
  ASSERT_TRUE(api_.GetDevNodeClassGuid(Adapter(), &guid));
  EXPECT_EQ(guid.Data1, 0x4D36E972u);
  EXPECT_EQ(guid.Data4[7], 0x18);
  PathBuffer name;
  ASSERT_TRUE(api_.GetDevNodeClassName(Adapter(), name));
  EXPECT_STREQ(name, "Net");
  ULONG characteristics = 0;
  EXPECT_TRUE(GetClassCharacteristics(api_, &guid, &characteristics));
  EXPECT_EQ(characteristics, 0x84u);

  // A text that does not parse fails without asking for a class name.
  DEVINST no_class = AddDevice("ROOT\\NOCLASS\\0000");
  DEVINST bad = am_.root.Child("ROOT\\ODD\\0000").Prop(CM_DRP_CLASSGUID, "{not a guid}").Handle();
  EXPECT_FALSE(api_.GetDevNodeClassGuid(bad, &guid));
  EXPECT_FALSE(api_.GetDevNodeClassName(bad, name));
  EXPECT_FALSE(api_.GetDevNodeClassName(no_class, name));
  EXPECT_EQ(am_.m.Calls("CM_Get_Class_NameA"), 1);

  // A class without characteristics, and an unknown class.
  GUID unknown{};
  EXPECT_FALSE(GetClassCharacteristics(api_, &unknown, &characteristics));
  am_.m.Devices().Class("{4D36E967-E325-11CE-BFC1-08002BE10318}").Name("DiskDrive");
  ASSERT_TRUE(ParseGuidText("{4D36E967-E325-11CE-BFC1-08002BE10318}", &guid));
  EXPECT_FALSE(GetClassCharacteristics(api_, &guid, &characteristics));
}

TEST_F(DeviceReaders, InstanceIdsFitIn199Characters) {
  const std::string id199 = "ROOT\\LONG\\" + std::string(189, '1');
  const std::string id200 = "ROOT\\LONG\\" + std::string(190, '2');
  DEVINST dn199 = AddDevice(id199);
  DEVINST dn200 = AddDevice(id200);

  std::string id = "earlier";
  ASSERT_TRUE(api_.GetDeviceId(dn199, id));
  EXPECT_EQ(id, id199);
  PathBuffer path;
  ASSERT_TRUE(api_.GetEnumKeyPath(dn199, path));
  EXPECT_EQ(std::string(path), "System\\CurrentControlSet\\Enum\\" + id199);

  id = "earlier";
  EXPECT_FALSE(api_.GetDeviceId(dn200, id));
  EXPECT_EQ(id, "earlier");
  EXPECT_FALSE(api_.GetEnumKeyPath(dn200, path));
  EXPECT_FALSE(api_.GetDeviceId(0, id));
}

TEST_F(DeviceReaders, StatusAndProblemAreZeroWhenTheQueryFails) {
  am_.adapter.Status(DN_DRIVER_LOADED | DN_STARTED | DN_HAS_PROBLEM, 28);
  ULONG problem = 99;
  EXPECT_EQ(api_.GetDevNodeStatus(Adapter(), &problem),
            static_cast<ULONG>(DN_DRIVER_LOADED | DN_STARTED | DN_HAS_PROBLEM));
  EXPECT_EQ(problem, 28u);
  EXPECT_EQ(api_.GetDevNodeStatus(Adapter(), nullptr), static_cast<ULONG>(DN_DRIVER_LOADED | DN_STARTED | DN_HAS_PROBLEM));

  am_.adapter.NoStatus();
  problem = 99;
  EXPECT_EQ(api_.GetDevNodeStatus(Adapter(), &problem), 0u);
  EXPECT_EQ(problem, 0u);
}

TEST_F(DeviceReaders, DriverKeyPathNeedsADriverNameThatLeavesRoom) {
  PathBuffer path;
  ASSERT_TRUE(api_.GetDriverKeyPath(Adapter(), path));
  EXPECT_STREQ(path, kAdapterDriverKey);
  // The name's length plus 39 must stay below 260.
  am_.adapter.Prop(CM_DRP_DRIVER, std::string(220, 'd'));
  EXPECT_TRUE(api_.GetDriverKeyPath(Adapter(), path));
  am_.adapter.Prop(CM_DRP_DRIVER, std::string(221, 'd'));
  EXPECT_FALSE(api_.GetDriverKeyPath(Adapter(), path));
  EXPECT_FALSE(api_.GetDriverKeyPath(AddDevice("ROOT\\NODRIVER\\0000"), path));
}

TEST_F(DeviceReaders, InfInfoNeedsInfPathAndTakesMissingSectionsAsEmpty) {
  PathBuffer inf, section = "keep", extension = "keep";
  ASSERT_TRUE(api_.GetInfInfo(Adapter(), inf, &section, &extension));
  EXPECT_STREQ(inf, "oem3.inf");
  EXPECT_STREQ(section, "");
  EXPECT_STREQ(extension, "");

  am_.m.Registry().Key(kAdapterDriverKey).Sz("InfSection", "E1000").Sz("InfSectionExt", ".NTx86");
  ASSERT_TRUE(api_.GetInfInfo(Adapter(), inf, &section, nullptr));
  EXPECT_STREQ(section, "E1000");
  ASSERT_TRUE(api_.GetInfInfo(Adapter(), inf, nullptr, &extension));
  EXPECT_STREQ(extension, ".NTx86");

  // A section of another type reads as empty, not as its bytes.
  am_.m.Registry().Key(kAdapterDriverKey).Dword("InfSection", 0x41414141);
  ASSERT_TRUE(api_.GetInfInfo(Adapter(), inf, &section, nullptr));
  EXPECT_STREQ(section, "");

  // Without "InfPath" the sections are left as they were.
  am_.m.Registry().Key(kAdapterDriverKey).Dword("InfPath", 1);
  std::strcpy(section, "keep");
  EXPECT_FALSE(api_.GetInfInfo(Adapter(), inf, &section, &extension));
  EXPECT_STREQ(section, "keep");
}

TEST_F(DeviceReaders, ServiceImagePathFollowsTheServiceKey) {
  char path[MAX_PATH];
  ASSERT_TRUE(api_.GetServiceImagePath(Adapter(), path, sizeof path));
  EXPECT_STREQ(path, "C:\\WINDOWS\\system32\\DRIVERS\\e1000.sys");

  // Expanded first: "%DRV%" gives "System32\drivers", which then gets the Windows directory.
  am_.m.Env("DRV", "System32\\drivers");
  am_.m.Registry().Key(kAdapterServiceKey).ExpandSz("ImagePath", "%DRV%\\e1000x.sys");
  ASSERT_TRUE(api_.GetServiceImagePath(Adapter(), path, sizeof path));
  EXPECT_STREQ(path, "C:\\WINDOWS\\System32\\drivers\\e1000x.sys");

  am_.m.WindowsDirectory("D:\\W");
  am_.m.Registry().Key("SYSTEM\\CurrentControlSet\\Services\\serial").Dword("Start", 3);
  am_.adapter.Prop(CM_DRP_SERVICE, "serial");
  ASSERT_TRUE(api_.GetServiceImagePath(Adapter(), path, sizeof path));
  EXPECT_STREQ(path, "D:\\W\\System32\\drivers\\serial.sys");

  am_.adapter.Prop(CM_DRP_SERVICE, "absent");
  EXPECT_FALSE(api_.GetServiceImagePath(Adapter(), path, sizeof path));
  EXPECT_STREQ(path, "");
  am_.adapter.Prop(CM_DRP_SERVICE, std::string(230, 's'));  // no room for the key path
  EXPECT_FALSE(api_.GetServiceImagePath(Adapter(), path, sizeof path));
  EXPECT_FALSE(api_.GetServiceImagePath(AddDevice("ROOT\\NOSERVICE\\0000"), path, sizeof path));
}

TEST_F(DeviceReaders, DeviceReferenceIsADwordOfTheControlKeyOrZero) {
  const std::string control = std::string("System\\CurrentControlSet\\Enum\\") + kAdapterId + "\\Control";
  EXPECT_EQ(api_.GetDeviceReference(Adapter()), 0u);
  am_.m.Registry().Key(control).Dword("DeviceReference", 0x81234560);
  EXPECT_EQ(api_.GetDeviceReference(Adapter()), 0x81234560u);
  am_.m.Registry().Key(control).Binary("DeviceReference", {1, 2, 3, 4});
  EXPECT_EQ(api_.GetDeviceReference(Adapter()), 0u);
  EXPECT_EQ(api_.GetDeviceReference(0), 0u);
}

}  // namespace
}  // namespace tov::test
