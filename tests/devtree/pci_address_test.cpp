// The PCI address of a device: the two parsers and the rule that picks one.
#include <gtest/gtest.h>

#include "devtree/cm_device.h"

namespace {

struct ParseCase {
  const char* text;
  WORD wExpected;
  BOOL bExpected;
};

TEST(PciLocation, ParsesTokensByPosition) {
  const ParseCase cases[] = {
      {"PCI bus 2, device 0, function 1", 0x0201, TRUE},
      {"PCI bus 0, device 31, function 2", 0x00FA, TRUE},
      {"PCI bus 3", 0x0300, FALSE},  // incomplete, but the bus is kept
      {"PCI bus 1, device 5", 0x0128, FALSE},
      // Tokens 3 and 5 are the words "bus" and "device", which convert to 0.
      {"PCI Slot 3 (PCI bus 2, device 0, function 0)", 0x0300, TRUE},
      {"PCI bus 300, device 40, function 9", 0x2C41, TRUE},  // each part cut to its bits
      {"", 0x0000, FALSE},
      {"on the mainboard", 0x0000, FALSE},
  };
  for (const ParseCase& c : cases) {
    SCOPED_TRACE(c.text);
    WORD wAddress = 0xFFFF;
    EXPECT_EQ(CCmDevice::ParsePciLocation(c.text, wAddress), c.bExpected);
    EXPECT_EQ(wAddress, c.wExpected);
  }
}

TEST(PciLocation, LooksAtTheFirst259CharactersOnly) {
  std::string strText = "PCI bus 4, device 1, function 1";
  WORD wAddress;
  EXPECT_TRUE(CCmDevice::ParsePciLocation(std::string(228, ' ') + strText, wAddress));
  EXPECT_EQ(wAddress, 0x0409);
  // One more leading character cuts the function off.
  EXPECT_FALSE(CCmDevice::ParsePciLocation(std::string(229, ' ') + strText, wAddress));
  EXPECT_EQ(wAddress, 0x0408);
}

TEST(PciInstance, ParsesTheBusDeviceFunctionMarkers) {
  const ParseCase cases[] = {
      // The "DEV_" of the hardware part comes before "BUS_" and is skipped.
      {"PCI\\VEN_1234&DEV_5678&REV_02\\BUS_00&DEV_07&FUNC_01", 0x0039, TRUE},
      {"PCI\\VEN_1&DEV_2\\BUS_1A&DEV_1F&FUNC_07", 0x1AFF, TRUE},
      {"PCI\\VEN_1234&DEV_5678\\BUS_00&DEV_07&FUNC_", 0x0000, FALSE},  // nothing after FUNC_
      {"PCI\\VEN_1234&DEV_5678\\3&61AAA01&0&38", 0x0000, FALSE},
      {"PCI\\VEN_1234&DEV_5678\\BUS_00&FUNC_01", 0x0000, FALSE},  // no DEV_ after BUS_
      {"BUS_", 0x0000, FALSE},
  };
  for (const ParseCase& c : cases) {
    SCOPED_TRACE(c.text);
    WORD wAddress = 0xFFFF;
    EXPECT_EQ(CCmDevice::ParsePciInstance(c.text, wAddress), c.bExpected);
    EXPECT_EQ(wAddress, c.wExpected);
  }
}

TEST(PciAddress, DerivesFromLocationThenInstanceIdOfPciDevicesOnly) {
  struct Case {
    const char* name;
    const char* enumerator;
    const char* deviceId;
    const char* location;
    WORD wExpected;
    BOOL bExpected;
  };
  const Case cases[] = {
      {"location first", "pci", "PCI\\X\\BUS_05&DEV_01&FUNC_00", "PCI bus 2, device 0, function 1",
       0x0201, TRUE},
      {"instance ID without location", "PCI", "PCI\\VEN_1234&DEV_5678&REV_02\\BUS_00&DEV_07&FUNC_01",
       "", 0x0039, TRUE},
      {"incomplete location is kept", "PCI", "", "PCI bus 3", 0x0300, FALSE},
      {"IRQ holder", "PCI", "ACPI\\IRQHOLDER\\0", "PCI bus 2, device 0, function 1", 0x0000, FALSE},
      {"other enumerator", "ACPI", "ACPI\\PNP0A03\\0", "PCI bus 2, device 0, function 1", 0x0000,
       FALSE},
      {"no texts", "PCI", "", "", 0x0000, FALSE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CCmDevice device;
    device.m_strEnumeratorName = c.enumerator;
    device.m_strDeviceId = c.deviceId;
    device.m_strLocationInfo = c.location;
    EXPECT_EQ(device.DerivePciAddress(), c.bExpected);
    EXPECT_EQ(device.m_wPciAddress, c.wExpected);
  }
}

}  // namespace
