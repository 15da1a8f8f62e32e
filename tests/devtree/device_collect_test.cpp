// CollectDevice over machine models: every source lands in its field, and the
// failures that leave fields as they were.
#include <gtest/gtest.h>

#include "devtree/cm_log_conf.h"
#include "devtree/device_collect.h"
#include "tests/devtree/device_machine.h"

using tov::machine::DeviceNode;
using tov::machine::Machine;
using tov::machine::ScopedMachine;

namespace {

constexpr char kNetGuid[] = "{4D36E972-E325-11CE-BFC1-08002BE10318}";
constexpr char kNicId[] = "PCI\\VEN_8086&DEV_100E&REV_02\\3&267A616A&0&18";
constexpr char kEnumKey[] = "SYSTEM\\CurrentControlSet\\Enum\\PCI\\VEN_8086&DEV_100E&REV_02\\3&267A616A&0&18";
constexpr char kDriverKey[] = "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\0001";
constexpr char kClassKey[] = "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}";

// A network adapter with a value in every source CollectDevice reads.
DeviceNode& AddNetworkAdapter(Machine& m) {
  DeviceNode& nic = m.Devices().Root("HTREE\\ROOT\\0").Child(kNicId);
  nic.Prop(CM_DRP_DEVICEDESC, "Gigabit adapter")
      .Prop(CM_DRP_FRIENDLYNAME, "Gigabit adapter #2")
      .Prop(CM_DRP_MFG, "Intel")
      .Prop(CM_DRP_LOCATION_INFORMATION, "PCI bus 0, device 3, function 0")
      .Prop(CM_DRP_ENUMERATOR_NAME, "PCI")
      .PropDword(CM_DRP_ADDRESS, 0x30000)
      .PropDword(CM_DRP_UI_NUMBER, 3)
      .PropDword(CM_DRP_CHARACTERISTICS, 0x100)
      .PropDword(CM_DRP_CAPABILITIES, 0x20)
      .Prop(CM_DRP_CLASSGUID, kNetGuid)
      .Prop(CM_DRP_DRIVER, "{4D36E972-E325-11CE-BFC1-08002BE10318}\\0001")
      .Prop(CM_DRP_SERVICE, "E1000")
      .Prop(CM_DRP_PHYSICAL_DEVICE_OBJECT_NAME, "\\Device\\NTPNP_PCI0005")
      .Status(DN_DRIVER_LOADED | DN_STARTED | DN_HAS_PROBLEM, 10);
  m.Devices().Class(kNetGuid).Name("Net").Characteristics(0x84);

  m.Registry()
      .Key(kEnumKey)
      .MultiSz("CompatibleIDs", {"PCI\\VEN_8086&DEV_100E&REV_02", "PCI\\CC_020000"})
      .MultiSz("HardwareID", {"PCI\\VEN_8086&DEV_100E"})
      .MultiSz("LowerFilters", {"lowerf"})
      .MultiSz("UpperFilters", {"upper1", "upper2"});
  m.Registry().Key(kEnumKey).Key("Control").Dword("DeviceReference", 0x8A3E2C40);
  m.Registry()
      .Key(kDriverKey)
      .Sz("InfPath", "oem3.inf")
      .Sz("InfSection", "Install")
      .Sz("InfSectionExt", ".NTx86")
      .MultiSz("CoInstallers32", {"coinst.dll,CoInstall"})
      .Sz("EnumPropPages32", "pages.dll,Pages")
      .Sz("Installer32", "inst.dll,Install")
      .Sz("ProviderName", "Intel");
  m.Registry()
      .Key(kClassKey)
      .Sz("", "Network adapters")
      .Sz("EnumPropPages32", "netpages.dll")
      .Sz("Installer32", "NetCfgx.dll,NetClassInstaller")
      .Sz("TroubleShooter-0", "hcp://help/tsnetwrk.htm")
      .MultiSz("LowerFilters", {"classlower"})
      .MultiSz("UpperFilters", {"classupper"});
  m.Registry()
      .Key("SYSTEM\\CurrentControlSet\\Control\\CoDeviceInstallers")
      .MultiSz(kNetGuid, {"NetCfgx.dll,NetCfgInstaller"});
  m.Registry().Key("SYSTEM\\CurrentControlSet\\Services\\E1000").ExpandSz("ImagePath", "system32\\DRIVERS\\e1000.sys");
  return nic;
}

class DeviceCollect : public testing::Test {
 protected:
  // Collects node `node` of m into m_device; the machine must be complete.
  BOOL Collect(const DeviceNode& node) {
    m_pUse = std::make_unique<ScopedMachine>(m);
    m_pApi = std::make_unique<BoundApi>();
    return CollectDevice(m_device, node.Handle(), m_pApi->Api());
  }

  void TearDown() override {
    m_device.ClearDetails();
    m_pApi.reset();
    if (m_pUse) {
      EXPECT_EQ(m.OpenHandles(), 0);
      EXPECT_EQ(m.Devices().Releases().BadReleases(), 0);
    }
    m_pUse.reset();
  }

  Machine m;
  CCmDevice m_device;

 private:
  std::unique_ptr<ScopedMachine> m_pUse;
  std::unique_ptr<BoundApi> m_pApi;
};

TEST_F(DeviceCollect, FillsEveryFieldFromItsSource) {
  AddDeviceLibraries(m);
  const DeviceNode& nic = AddNetworkAdapter(m);
  ASSERT_TRUE(Collect(nic));

  const CCmDevice& d = m_device;
  EXPECT_EQ(d.m_dnDevInst, nic.Handle());
  EXPECT_EQ(d.m_dnParent, m.Devices().Root()->Handle());
  EXPECT_EQ(d.m_dnSibling, 0u);
  EXPECT_EQ(d.m_dnChild, 0u);
  EXPECT_EQ(d.m_strDeviceId, kNicId);
  EXPECT_EQ(d.m_strDeviceDesc, "Gigabit adapter");
  EXPECT_EQ(d.m_strFriendlyName, "Gigabit adapter #2");
  EXPECT_EQ(d.m_strMfg, "Intel");
  EXPECT_EQ(d.m_strLocationInfo, "PCI bus 0, device 3, function 0");
  EXPECT_EQ(d.m_strEnumeratorName, "PCI");
  EXPECT_EQ(d.m_ulAddress, 0x30000u);
  EXPECT_EQ(d.m_ulUINumber, 3u);
  EXPECT_EQ(d.m_ulCharacteristics, 0x100u);
  EXPECT_EQ(d.m_ulCapabilities, 0x20u);
  EXPECT_EQ(d.m_strCompatibleIds, "PCI\\VEN_8086&DEV_100E&REV_02\nPCI\\CC_020000\n");
  EXPECT_EQ(d.m_strHardwareIds, "PCI\\VEN_8086&DEV_100E\n");
  EXPECT_EQ(d.m_strInfPath, "oem3.inf");
  EXPECT_EQ(d.m_strInfSection, "Install.NTx86");
  EXPECT_EQ(d.m_strCoInstallers, "coinst.dll,CoInstall\n");
  EXPECT_EQ(d.m_strEnumPropPages, "pages.dll,Pages");
  EXPECT_EQ(d.m_strInstaller, "inst.dll,Install");
  EXPECT_EQ(d.m_strLowerFilters, "lowerf\n");
  EXPECT_EQ(d.m_strUpperFilters, "upper1\nupper2\n");
  EXPECT_EQ(d.m_strProviderName, "Intel");
  EXPECT_EQ(d.m_strClassGuid, kNetGuid);
  EXPECT_TRUE(d.m_guidClass ==
              (GUID{0x4D36E972, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}}));
  EXPECT_EQ(d.m_strClassName, "Net");
  EXPECT_EQ(d.m_strClassDesc, "Network adapters");
  EXPECT_EQ(d.m_strClassCoInstallers, "NetCfgx.dll,NetCfgInstaller\n");
  EXPECT_EQ(d.m_strClassEnumPropPages, "netpages.dll");
  EXPECT_EQ(d.m_strClassInstaller, "NetCfgx.dll,NetClassInstaller");
  EXPECT_EQ(d.m_strClassTroubleShooter, "hcp://help/tsnetwrk.htm");
  EXPECT_EQ(d.m_strClassLowerFilters, "classlower\n");
  EXPECT_EQ(d.m_strClassUpperFilters, "classupper\n");
  EXPECT_EQ(d.m_strDriverKey, "{4D36E972-E325-11CE-BFC1-08002BE10318}\\0001");
  EXPECT_EQ(d.m_strService, "E1000");
  EXPECT_EQ(d.m_strServicePath, "C:\\WINDOWS\\system32\\DRIVERS\\e1000.sys");
  EXPECT_EQ(d.m_strPdoName, "\\Device\\NTPNP_PCI0005");
  EXPECT_EQ(d.m_ulDeviceReference, 0x8A3E2C40u);
  EXPECT_EQ(d.m_ulStatus, static_cast<ULONG>(DN_DRIVER_LOADED | DN_STARTED | DN_HAS_PROBLEM));
  EXPECT_EQ(d.m_ulProblem, 10u);
  EXPECT_EQ(d.m_wPciAddress, 0x0018);
  EXPECT_EQ(d.m_lDetailsCollected, FALSE);
  EXPECT_TRUE(d.m_strDriverFiles.empty());
}

TEST_F(DeviceCollect, UnreadableIdStopsAfterTheNeighbours) {
  AddDeviceLibraries(m);
  DeviceNode& root = m.Devices().Root("HTREE\\ROOT\\0");
  // An ID that does not fit the 200-byte buffer cannot be read.
  DeviceNode& node = root.Child("ROOT\\" + std::string(220, 'X'));
  node.Prop(CM_DRP_DEVICEDESC, "Never read").PropDword(CM_DRP_ADDRESS, 7);
  node.LogConf(ALLOC_LOG_CONF).Res(ResType_IRQ, {1, 0, 0, 0});
  DeviceNode& child = node.Child("ROOT\\CHILD\\0");
  DeviceNode& sibling = root.Child("ROOT\\SIBLING\\0");
  m_device.m_strDeviceId = "earlier";

  EXPECT_FALSE(Collect(node));

  EXPECT_EQ(m_device.m_dnParent, root.Handle());
  EXPECT_EQ(m_device.m_dnChild, child.Handle());
  EXPECT_EQ(m_device.m_dnSibling, sibling.Handle());
  EXPECT_EQ(m_device.m_strDeviceId, "earlier");
  EXPECT_EQ(m_device.m_strDeviceDesc, "");
  EXPECT_EQ(m_device.m_ulAddress, 0u);
  EXPECT_EQ(m_device.m_ulStatus, 0u);
  for (const CCmLogConf* pLogConf : m_device.m_apLogConf) EXPECT_EQ(pLogConf, nullptr);
}

// Instance IDs at the 200-byte buffer: 199 characters and the NUL are read,
// and the hardware key under the ID is found; 200 are not, and collection
// stops after the neighbours with the ID as it was.
TEST(DeviceCollectIds, At199And200Characters) {
  for (size_t nLength : {199u, 200u}) {
    SCOPED_TRACE(nLength);
    const std::string id = "ROOT\\LONG\\" + std::string(nLength - 10, '7');
    ASSERT_EQ(id.size(), nLength);
    Machine m;
    AddDeviceLibraries(m);
    DeviceNode& node = m.Devices().Root("HTREE\\ROOT\\0").Child(id);
    node.Prop(CM_DRP_DEVICEDESC, "Long one").Status(DN_STARTED, 0);
    m.Registry().Key("SYSTEM\\CurrentControlSet\\Enum\\" + id).MultiSz("HardwareID", {"LONG\\HW"});
    CCmDevice device;
    device.m_strDeviceId = "earlier";
    {
      ScopedMachine use(m);
      BoundApi api;
      EXPECT_EQ(CollectDevice(device, node.Handle(), api.Api()), nLength < 200 ? TRUE : FALSE);
    }
    EXPECT_EQ(m.OpenHandles(), 0);
    EXPECT_EQ(device.m_dnParent, 1u);
    if (nLength < 200) {
      EXPECT_EQ(device.m_strDeviceId, id);
      EXPECT_EQ(device.m_strDeviceDesc, "Long one");
      EXPECT_EQ(device.m_strHardwareIds, "LONG\\HW\n");
      EXPECT_EQ(device.m_ulStatus, static_cast<ULONG>(DN_STARTED));
    } else {
      EXPECT_EQ(device.m_strDeviceId, "earlier");
      EXPECT_EQ(device.m_strDeviceDesc, "");
      EXPECT_EQ(device.m_strHardwareIds, "");
      EXPECT_EQ(device.m_ulStatus, 0u);
    }
  }
}

TEST_F(DeviceCollect, TakesTheClassCharacteristicsWhenTheDeviceHasNone) {
  AddDeviceLibraries(m);
  DeviceNode& node = m.Devices().Root("HTREE\\ROOT\\0").Child("ROOT\\NET\\0000");
  node.Prop(CM_DRP_CLASSGUID, kNetGuid);
  m.Devices().Class(kNetGuid).Characteristics(0x84);
  ASSERT_TRUE(Collect(node));
  EXPECT_EQ(m_device.m_ulCharacteristics, 0x84u);
}

TEST_F(DeviceCollect, WithoutInfPathLeavesBothInfFields) {
  AddDeviceLibraries(m);
  DeviceNode& node = m.Devices().Root("HTREE\\ROOT\\0").Child("ROOT\\NET\\0000");
  node.Prop(CM_DRP_DRIVER, "{4D36E972-E325-11CE-BFC1-08002BE10318}\\0001");
  m.Registry().Key(kDriverKey).Sz("InfSection", "Install").Sz("InfSectionExt", ".NTx86");
  m_device.m_strInfPath = "old.inf";
  m_device.m_strInfSection = "OldSection";
  ASSERT_TRUE(Collect(node));
  EXPECT_EQ(m_device.m_strInfPath, "old.inf");
  EXPECT_EQ(m_device.m_strInfSection, "OldSection");
}

TEST_F(DeviceCollect, WithoutClassGuidReadsNoClassKey) {
  AddDeviceLibraries(m);
  DeviceNode& node = m.Devices().Root("HTREE\\ROOT\\0").Child("ROOT\\UNKNOWN\\0000");
  m.Registry().Key(kClassKey).Sz("", "Network adapters").Sz("Installer32", "NetCfgx.dll");
  ASSERT_TRUE(Collect(node));
  EXPECT_EQ(m_device.m_strClassGuid, "");
  EXPECT_TRUE(m_device.m_guidClass == GUID{});
  EXPECT_EQ(m_device.m_strClassName, "");
  EXPECT_EQ(m_device.m_strClassDesc, "");
  EXPECT_EQ(m_device.m_strClassInstaller, "");
}

TEST_F(DeviceCollect, WithoutTheLibraryCollectsNothingButTheHandle) {
  const DeviceNode& nic = AddNetworkAdapter(m);
  EXPECT_FALSE(Collect(nic));
  EXPECT_EQ(m_device.m_dnDevInst, nic.Handle());
  EXPECT_EQ(m_device.m_dnParent, 0u);
  EXPECT_EQ(m_device.m_strDeviceId, "");
}

}  // namespace
