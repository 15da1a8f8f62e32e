// The live device loader: a tree captured from a real machine
// (tests/fixtures/live_root, made by capture_live_root.py) and small made-up
// trees for the shapes that machine lacks (USB, I/O ports, line interrupts).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/machine/live/live_hwdata.h"
#include "platform/machine/live/live_source.h"
#include "platform/machine/machine.h"
#include "tests/platform/temp_tree.h"
#include "win32_api.h"

namespace tov::machine::live {
namespace {

const std::string kCapturedRoot = std::string(TOV_FIXTURES_DIR) + "/live_root";
const char kNetGuid[] = "{4D36E972-E325-11CE-BFC1-08002BE10318}";
const char kHostBridgeId[] = "PCI\\VEN_8086&DEV_0D57&SUBSYS_00000000&REV_00\\0000:00:00.0";
const char kNetAdapterId[] = "PCI\\VEN_1AF4&DEV_1041&SUBSYS_10411AF4&REV_01\\0000:00:03.0";

std::string Text(const DeviceNode& node, ULONG property) {
  const DeviceProperty* p = node.FindProp(property);
  if (p == nullptr) return "(none)";
  EXPECT_EQ(p->type, static_cast<uint32_t>(REG_SZ));
  return std::string(p->data.begin(), p->data.end() - 1);
}

std::vector<std::string> MultiSz(const std::vector<uint8_t>& data) {
  std::vector<std::string> texts;
  std::string current;
  for (size_t i = 0; i + 1 < data.size(); ++i) {
    if (data[i] == 0) {
      texts.push_back(current);
      current.clear();
    } else {
      current += static_cast<char>(data[i]);
    }
  }
  return texts;
}

std::vector<std::string> ChildIds(const DeviceNode& node) {
  std::vector<std::string> ids;
  for (const DeviceNode* c = node.FirstChild(); c != nullptr; c = c->NextSibling()) {
    ids.push_back(c->InstanceId());
  }
  return ids;
}

std::vector<uint8_t> Hex(const std::string& text) {
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i + 1 < text.size(); i += 2) {
    bytes.push_back(static_cast<uint8_t>(std::stoul(text.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

struct Descriptor {
  RESOURCEID type;
  std::string hex;
};

// The allocated configuration's descriptors, as type and hex bytes.
void ExpectAllocated(const DeviceNode& node, const std::vector<Descriptor>& expected) {
  std::vector<const LogConfig*> confs = node.LogConfs(ALLOC_LOG_CONF);
  if (expected.empty()) {
    EXPECT_TRUE(confs.empty());
    return;
  }
  ASSERT_EQ(confs.size(), 1u);
  const auto& got = confs[0]->Descriptors();
  ASSERT_EQ(got.size(), expected.size());
  for (size_t i = 0; i < got.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(got[i].type, expected[i].type);
    EXPECT_EQ(got[i].data, Hex(expected[i].hex));
  }
  for (uint32_t type : {BASIC_LOG_CONF, FILTERED_LOG_CONF, BOOT_LOG_CONF, FORCED_LOG_CONF,
                        OVERRIDE_LOG_CONF}) {
    EXPECT_TRUE(node.LogConfs(type).empty());
  }
}

class CapturedTree : public ::testing::Test {
 protected:
  void SetUp() override { LoadLiveDevices(LiveRoot{kCapturedRoot}, m); }
  const DeviceNode& Node(const std::string& id) {
    const DeviceNode* node = m.Devices().FindById(id);
    EXPECT_NE(node, nullptr) << id;
    return *node;
  }
  Machine m;
};

TEST_F(CapturedTree, NodesFollowTheSysfsTreeUnderTheRoot) {
  const DeviceNode* root = m.Devices().Root();
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->InstanceId(), "HTREE\\ROOT\\0");
  // /sys/devices/virtual is no device: its interface hangs under the root.
  EXPECT_EQ(ChildIds(*root),
            (std::vector<std::string>{"ACPI\\LNXSYSTM:00", "ROOT\\pci0000:00", "NET\\lo"}));
  EXPECT_EQ(ChildIds(Node("ROOT\\pci0000:00")),
            (std::vector<std::string>{
                kHostBridgeId, "PCI\\VEN_1AF4&DEV_1042&SUBSYS_10421AF4&REV_01\\0000:00:02.0",
                kNetAdapterId}));
  EXPECT_EQ(ChildIds(Node(kNetAdapterId)), std::vector<std::string>{"VIRTIO\\virtio2"});
  // .../virtio2/net/eth0: "net" is a plain folder between the two devices.
  EXPECT_EQ(ChildIds(Node("VIRTIO\\virtio2")), std::vector<std::string>{"NET\\eth0"});
  EXPECT_EQ(ChildIds(Node("PCI\\VEN_1AF4&DEV_1042&SUBSYS_10421AF4&REV_01\\0000:00:02.0")),
            std::vector<std::string>{"VIRTIO\\virtio1"});
  EXPECT_EQ(ChildIds(Node("VIRTIO\\virtio1")), std::vector<std::string>{"BLOCK\\vda"});
}

TEST_F(CapturedTree, PciDeviceProperties) {
  struct Case {
    const char* id;
    const char* description;
    const char* manufacturer;
    const char* location;
    uint32_t address;
    const char* service;
    const char* class_name;
    ULONG status;
    ULONG problem;
  };
  const Case cases[] = {
      {kNetAdapterId, "Virtio 1.0 network device", "Red Hat, Inc.",
       "PCI bus 0, device 3, function 0", 0x30000, "virtio-pci", "Net",
       DN_DRIVER_LOADED | DN_STARTED, 0},
      // No device name in the database: the subclass's name. No driver on a
      // bus that has drivers: the drivers are not installed.
      {kHostBridgeId, "Host bridge", "Intel Corporation", "PCI bus 0, device 0, function 0", 0,
       "(none)", "System", DN_HAS_PROBLEM, CM_PROB_FAILED_INSTALL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    const DeviceNode& node = Node(c.id);
    EXPECT_EQ(Text(node, CM_DRP_DEVICEDESC), c.description);
    EXPECT_EQ(Text(node, CM_DRP_MFG), c.manufacturer);
    EXPECT_EQ(Text(node, CM_DRP_LOCATION_INFORMATION), c.location);
    EXPECT_EQ(Text(node, CM_DRP_ENUMERATOR_NAME), "PCI");
    EXPECT_EQ(Text(node, CM_DRP_SERVICE), c.service);
    EXPECT_EQ(Text(node, CM_DRP_CLASS), c.class_name);
    const DeviceProperty* address = node.FindProp(CM_DRP_ADDRESS);
    ASSERT_NE(address, nullptr);
    EXPECT_EQ(address->data, (std::vector<uint8_t>{static_cast<uint8_t>(c.address),
                                                   static_cast<uint8_t>(c.address >> 8),
                                                   static_cast<uint8_t>(c.address >> 16), 0}));
    EXPECT_EQ(node.StatusAndProblem(), std::make_pair(c.status, c.problem));
  }
  const DeviceNode& net = Node(kNetAdapterId);
  EXPECT_EQ(Text(net, CM_DRP_CLASSGUID), kNetGuid);
  EXPECT_EQ(Text(net, CM_DRP_PHYSICAL_DEVICE_OBJECT_NAME), "/devices/pci0000:00/0000:00:03.0");
}

TEST_F(CapturedTree, HardwareAndCompatibleIdsInPropertiesAndEnumKey) {
  const std::vector<std::string> hardware = {
      "PCI\\VEN_1AF4&DEV_1041&SUBSYS_10411AF4&REV_01", "PCI\\VEN_1AF4&DEV_1041&SUBSYS_10411AF4",
      "PCI\\VEN_1AF4&DEV_1041&CC_020000", "PCI\\VEN_1AF4&DEV_1041&CC_0200",
      "pci:v00001AF4d00001041sv00001AF4sd00001041bc02sc00i00"};
  const std::vector<std::string> compatible = {
      "PCI\\VEN_1AF4&DEV_1041&REV_01", "PCI\\VEN_1AF4&DEV_1041", "PCI\\VEN_1AF4&CC_020000",
      "PCI\\VEN_1AF4&CC_0200",         "PCI\\VEN_1AF4",          "PCI\\CC_020000",
      "PCI\\CC_0200"};
  const DeviceNode& net = Node(kNetAdapterId);
  EXPECT_EQ(MultiSz(net.FindProp(CM_DRP_HARDWAREID)->data), hardware);
  EXPECT_EQ(MultiSz(net.FindProp(CM_DRP_COMPATIBLEIDS)->data), compatible);
  const RegistryKey* key =
      m.Registry().FindSubkey("SYSTEM")->FindSubkey("CurrentControlSet")->FindSubkey("Enum");
  ASSERT_NE(key, nullptr);
  for (const char* part : {"PCI", "VEN_1AF4&DEV_1041&SUBSYS_10411AF4&REV_01", "0000:00:03.0"}) {
    key = key->FindSubkey(part);
    ASSERT_NE(key, nullptr) << part;
  }
  EXPECT_EQ(MultiSz(key->FindValue("HardwareID")->data), hardware);
  EXPECT_EQ(key->FindValue("HardwareID")->type, static_cast<uint32_t>(REG_MULTI_SZ));
  EXPECT_EQ(MultiSz(key->FindValue("CompatibleIDs")->data), compatible);

  // ACPI: the device's own ID and the IDs it is compatible with in both forms.
  const DeviceNode& acpi = Node("ACPI\\LNXSYSTM:00");
  EXPECT_EQ(MultiSz(acpi.FindProp(CM_DRP_HARDWAREID)->data),
            (std::vector<std::string>{"ACPI\\LNXSYSTM", "*LNXSYSTM", "acpi:LNXSYSTM:"}));
  EXPECT_EQ(acpi.FindProp(CM_DRP_COMPATIBLEIDS), nullptr);
}

TEST_F(CapturedTree, ClassDevicesAndTheirSetupClasses) {
  struct Case {
    const char* id;
    const char* class_name;
    const char* service;
    ULONG status;
    ULONG problem;
  };
  const Case cases[] = {
      // A class device needs no driver and works.
      {"NET\\eth0", "Net", "(none)", DN_STARTED, 0},
      {"NET\\lo", "Net", "(none)", DN_STARTED, 0},
      {"BLOCK\\vda", "DiskDrive", "(none)", DN_STARTED, 0},
      {"VIRTIO\\virtio2", "System", "virtio_net", DN_DRIVER_LOADED | DN_STARTED, 0},
      // No subsystem: no setup class.
      {"ROOT\\pci0000:00", "(none)", "(none)", DN_STARTED, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    const DeviceNode& node = Node(c.id);
    EXPECT_EQ(Text(node, CM_DRP_CLASS), c.class_name);
    EXPECT_EQ(Text(node, CM_DRP_SERVICE), c.service);
    EXPECT_EQ(node.StatusAndProblem(), std::make_pair(c.status, c.problem));
  }
  // The classes the devices use, with their names and class-key descriptions.
  GUID guid;
  ASSERT_TRUE(ReadGuidText(kNetGuid, &guid));
  ASSERT_NE(m.Devices().FindClass(guid), nullptr);
  EXPECT_EQ(m.Devices().FindClass(guid)->Name(), "Net");
  const RegistryValue* desc = m.Registry()
                                  .Key(std::string("SYSTEM\\CurrentControlSet\\Control\\Class\\") +
                                       kNetGuid)
                                  .FindValue("");
  ASSERT_NE(desc, nullptr);
  EXPECT_EQ(std::string(desc->data.begin(), desc->data.end()), std::string("Network adapters", 17));
  ASSERT_TRUE(ReadGuidText("{4D36E96C-E325-11CE-BFC1-08002BE10318}", &guid));
  EXPECT_EQ(m.Devices().FindClass(guid), nullptr);  // no sound device, no MEDIA class
}

TEST_F(CapturedTree, PciResourcesInTheDescriptorLayouts) {
  // MEM_DES: count 0, type 36, base, end (64-bit), flags RAM | memory BAR
  // (0x81, above 4 GiB so not 32-bit), reserved. IRQ_DES: count 0, type 12,
  // flags edge (message-signalled), interrupt, affinity 3.
  ExpectAllocated(Node(kNetAdapterId),
                  {{ResType_Mem,
                    "00000000" "24000000" "0000100040000000" "ffff170040000000" "81000000"
                    "00000000"},
                   {ResType_IRQ, "00000000" "0c000000" "02000000" "25000000" "03000000"},
                   {ResType_IRQ, "00000000" "0c000000" "02000000" "26000000" "03000000"},
                   {ResType_IRQ, "00000000" "0c000000" "02000000" "27000000" "03000000"}});
  ExpectAllocated(Node(kHostBridgeId), {});  // no ranges, no interrupt
  ExpectAllocated(Node("NET\\eth0"), {});
}

// A PCI device of the made-up trees below, with its resource lines.
void AddPciDevice(test::TempTree& tree, const std::string& slot, const std::string& resource,
                  const std::string& irq) {
  std::string dir = "/sys/devices/pci0000:00/" + slot;
  tree.File(dir + "/uevent", "PCI_SLOT_NAME=" + slot + "\n")
      .File(dir + "/vendor", "0x8086\n")
      .File(dir + "/device", "0x2922\n")
      .File(dir + "/class", "0x010601\n")
      .File(dir + "/resource", resource)
      .File(dir + "/irq", irq + "\n")
      .Link(dir + "/subsystem", "../../../bus/pci");
}

TEST(LiveDevices, PortsLineInterruptsWindowsAndRom) {
  test::TempTree tree;
  AddPciDevice(tree, "0000:00:1f.2",
               "0x000000000000c000 0x000000000000c007 0x0000000000040101\n"  // I/O BAR
               "0x00000000fe000000 0x00000000fe003fff 0x0000000000042208\n"  // 32-bit prefetchable
               "0x0000000000000000 0x0000000000000000 0x0000000000000000\n"
               "0x0000000000000000 0x0000000000000000 0x0000000000000000\n"
               "0x0000000000000000 0x0000000000000000 0x0000000000000000\n"
               "0x0000000000000000 0x0000000000000000 0x0000000000000000\n"
               "0x00000000fffe0000 0x00000000ffffffff 0x0000000000046200\n"  // expansion ROM
               "0x0000000000001000 0x0000000000001fff 0x0000000000000101\n"  // bridge window
               "0x00000000f0000000 0x00000000f00fffff 0x0000000010000200\n",  // disabled
               "11");
  tree.File("/proc/irq/11/smp_affinity", "ffffffff,00000005\n");
  // A device whose interrupt is its message-signalled one: listed once, as such.
  AddPciDevice(tree, "0000:00:1f.3", "", "40");
  tree.File("/sys/devices/pci0000:00/0000:00:1f.3/msi_irqs/40", "msi\n");
  Machine m;
  LoadLiveDevices(LiveRoot{tree.Root()}, m);
  const DeviceNode* sata =
      m.Devices().FindById("PCI\\VEN_8086&DEV_2922&SUBSYS_00000000&REV_00\\0000:00:1f.2");
  ASSERT_NE(sata, nullptr);
  EXPECT_EQ(Text(*sata, CM_DRP_LOCATION_INFORMATION), "PCI bus 0, device 31, function 2");
  EXPECT_EQ(Text(*sata, CM_DRP_CLASS), "HDC");
  // IO_DES: count 0, type 40, base, end, flags; flags I/O | port BAR, I/O |
  // window; memory flags BAR | RAM | 32-bit | prefetchable (0x87), the ROM
  // without RAM (0x86); the line interrupt shared, level-triggered (1).
  ExpectAllocated(
      *sata,
      {{ResType_IO, "00000000" "28000000" "00c0000000000000" "07c0000000000000" "01010000"},
       {ResType_Mem,
        "00000000" "24000000" "000000fe00000000" "ff3f00fe00000000" "87000000" "00000000"},
       {ResType_Mem,
        "00000000" "24000000" "0000feff00000000" "ffffffff00000000" "86000000" "00000000"},
       {ResType_IO, "00000000" "28000000" "0010000000000000" "ff1f000000000000" "81000000"},
       {ResType_IRQ, "00000000" "0c000000" "01000000" "0b000000" "05000000"}});
  const DeviceNode* smbus =
      m.Devices().FindById("PCI\\VEN_8086&DEV_2922&SUBSYS_00000000&REV_00\\0000:00:1f.3");
  ASSERT_NE(smbus, nullptr);
  // No smp_affinity file for it: affinity 0.
  ExpectAllocated(*smbus, {{ResType_IRQ, "00000000" "0c000000" "02000000" "28000000" "00000000"}});
}

TEST(LiveDevices, UsbDevicesAndInterfaces) {
  test::TempTree tree;
  std::string hub = "/sys/devices/pci0000:00/0000:00:14.0/usb1";
  std::string dev = hub + "/1-2";
  tree.File(hub + "/uevent", "DEVTYPE=usb_device\n")
      .File(hub + "/idVendor", "1d6b\n")
      .File(hub + "/idProduct", "0002\n")
      .File(hub + "/bcdDevice", "0606\n")
      .File(hub + "/bDeviceClass", "09\n")
      .File(hub + "/serial", "EHCI Host Controller\n")
      .Link(hub + "/subsystem", "../../../../bus/usb")
      .File(dev + "/uevent", "DEVTYPE=usb_device\nMODALIAS=usb:v046DpC52Bd1211\n")
      .File(dev + "/idVendor", "046d\n")
      .File(dev + "/idProduct", "c52b\n")
      .File(dev + "/bcdDevice", "1211\n")
      .File(dev + "/serial", "ABC123\n")
      .File(dev + "/product", "USB Receiver\n")
      .Link(dev + "/subsystem", "../../../../../bus/usb")
      .Link(dev + "/driver", "../../../../../bus/usb/drivers/usb")
      .File(dev + "/1-2:1.0/uevent", "DEVTYPE=usb_interface\n")
      .File(dev + "/1-2:1.0/bInterfaceNumber", "00\n")
      .File(dev + "/1-2:1.0/bInterfaceClass", "03\n")
      .File(dev + "/1-2:1.0/bInterfaceSubClass", "01\n")
      .File(dev + "/1-2:1.0/bInterfaceProtocol", "02\n")
      .Link(dev + "/1-2:1.0/subsystem", "../../../../../../bus/usb")
      .Link(dev + "/1-2:1.0/driver", "../../../../../../bus/usb/drivers/usbhid")
      .File("/sys/bus/usb/drivers/usbhid/bind", "")
      .File("/usr/share/hwdata/usb.ids",
            "# comment\n1d6b  Linux Foundation\n\t0002  2.0 root hub\n"
            "046d  Logitech, Inc.\n\tc52b  Unifying Receiver\n"
            "C 03  Human Interface Device\n\t01  Boot Interface Subclass\n");
  Machine m;
  LoadLiveDevices(LiveRoot{tree.Root()}, m);

  // A serial number that is not a plain word does not name the instance.
  const DeviceNode* root_hub = m.Devices().FindById("USB\\VID_1D6B&PID_0002\\usb1");
  ASSERT_NE(root_hub, nullptr);
  EXPECT_EQ(Text(*root_hub, CM_DRP_DEVICEDESC), "2.0 root hub");
  EXPECT_EQ(MultiSz(root_hub->FindProp(CM_DRP_COMPATIBLEIDS)->data),
            (std::vector<std::string>{"USB\\Class_09&SubClass_00&Prot_00",
                                      "USB\\Class_09&SubClass_00", "USB\\Class_09"}));
  // No driver bound, but the bus has drivers.
  EXPECT_EQ(root_hub->StatusAndProblem(), std::make_pair(ULONG{DN_HAS_PROBLEM}, ULONG{28}));

  const DeviceNode* receiver = m.Devices().FindById("USB\\VID_046D&PID_C52B\\ABC123");
  ASSERT_NE(receiver, nullptr);
  EXPECT_EQ(receiver->Parent(), root_hub);
  EXPECT_EQ(Text(*receiver, CM_DRP_DEVICEDESC), "Unifying Receiver");
  EXPECT_EQ(Text(*receiver, CM_DRP_MFG), "Logitech, Inc.");
  EXPECT_EQ(Text(*receiver, CM_DRP_ENUMERATOR_NAME), "USB");
  EXPECT_EQ(Text(*receiver, CM_DRP_CLASS), "USB");
  EXPECT_EQ(Text(*receiver, CM_DRP_SERVICE), "usb");
  EXPECT_EQ(receiver->FindProp(CM_DRP_ADDRESS)->data, (std::vector<uint8_t>{2, 0, 0, 0}));
  EXPECT_EQ(MultiSz(receiver->FindProp(CM_DRP_HARDWAREID)->data),
            (std::vector<std::string>{"USB\\VID_046D&PID_C52B&REV_1211", "USB\\VID_046D&PID_C52B",
                                      "usb:v046DpC52Bd1211"}));

  const DeviceNode* hid = m.Devices().FindById("USB\\VID_046D&PID_C52B&MI_00\\1-2:1.0");
  ASSERT_NE(hid, nullptr);
  EXPECT_EQ(hid->Parent(), receiver);
  EXPECT_EQ(Text(*hid, CM_DRP_CLASS), "HIDClass");
  EXPECT_EQ(Text(*hid, CM_DRP_SERVICE), "usbhid");
  EXPECT_EQ(MultiSz(hid->FindProp(CM_DRP_HARDWAREID)->data),
            (std::vector<std::string>{"USB\\VID_046D&PID_C52B&REV_1211&MI_00",
                                      "USB\\VID_046D&PID_C52B&MI_00"}));
  EXPECT_EQ(MultiSz(hid->FindProp(CM_DRP_COMPATIBLEIDS)->data),
            (std::vector<std::string>{"USB\\Class_03&SubClass_01&Prot_02",
                                      "USB\\Class_03&SubClass_01", "USB\\Class_03"}));
  EXPECT_EQ(hid->StatusAndProblem(), std::make_pair(ULONG{DN_DRIVER_LOADED | DN_STARTED}, ULONG{0}));
}

TEST(LiveDevices, NamesTakenTwiceAndTreesThatCannotBeRead) {
  test::TempTree tree;
  // Two devices without a subsystem and the same name, in natural order.
  tree.File("/sys/devices/a10/x/uevent", "")
      .File("/sys/devices/a10/uevent", "")
      .File("/sys/devices/a9/x/uevent", "")
      .File("/sys/devices/a9/uevent", "");
  Machine m;
  LoadLiveDevices(LiveRoot{tree.Root()}, m);
  EXPECT_EQ(ChildIds(*m.Devices().Root()), (std::vector<std::string>{"ROOT\\a9", "ROOT\\a10"}));
  EXPECT_EQ(ChildIds(*m.Devices().FindById("ROOT\\a9")), std::vector<std::string>{"ROOT\\x"});
  EXPECT_EQ(ChildIds(*m.Devices().FindById("ROOT\\a10")), std::vector<std::string>{"ROOT\\x&2"});

  // No /sys at all: the root node alone.
  Machine empty;
  LoadLiveDevices(LiveRoot{tree.Root() + "/nothing-here"}, empty);
  ASSERT_NE(empty.Devices().Root(), nullptr);
  EXPECT_EQ(empty.Devices().Root()->FirstChild(), nullptr);
}

// The ID database keeps only where its heads are and reads a name when asked:
// names far into a large file, comments between entries, and lines whose
// name is blank.
TEST(IdDatabase, NamesAnywhereInTheFile) {
  std::string text = "# List of PCI ID's\n";
  for (int i = 0; i < 3000; ++i) text += "# padding comment line " + std::to_string(i) + "\n";
  text +=
      "1af4  Red Hat, Inc.\n"
      "\t1000  Virtio network device\n"
      "\t\t1af4 0001  Virtio network device (subsystem)\n"
      "# a comment between entries\n"
      "\t1041  Virtio 1.0 network device  \r\n"
      "\t1042   \r\n"
      "8086  Intel Corporation\n"
      "\t0d57  Host bridge\n"
      "\n"
      "C 02  Network controller\n"
      "\t00  Ethernet controller\n"
      "C 06  Bridge\n";
  ASSERT_GT(text.size(), 64u * 1024u);  // past the first piece the file is read in
  test::TempTree tree;
  tree.File("/usr/share/hwdata/pci.ids", text);
  IdDatabase db = IdDatabase::Load(LiveRoot{tree.Root()}, "/usr/share/hwdata/pci.ids");
  EXPECT_EQ(db.Vendor(0x1af4), "Red Hat, Inc.");
  EXPECT_EQ(db.Vendor(0x8086), "Intel Corporation");
  EXPECT_EQ(db.Vendor(0x10de), "");
  EXPECT_EQ(db.Device(0x1af4, 0x1000), "Virtio network device");
  EXPECT_EQ(db.Device(0x1af4, 0x1041), "Virtio 1.0 network device");  // after a comment, blanks cut
  EXPECT_EQ(db.Device(0x1af4, 0x1042), "");                            // a blank name
  EXPECT_EQ(db.Device(0x1af4, 0x0001), "");  // a subsystem line is not a device
  EXPECT_EQ(db.Device(0x1af4, 0x0d57), "");  // another vendor's device
  EXPECT_EQ(db.Device(0x8086, 0x0d57), "Host bridge");
  EXPECT_EQ(db.ClassName(0x020000), "Ethernet controller");
  EXPECT_EQ(db.ClassName(0x028000), "Network controller");  // no such subclass: the class
  EXPECT_EQ(db.ClassName(0x060400), "Bridge");
  EXPECT_EQ(db.ClassName(0x030000), "");

  IdDatabase missing = IdDatabase::Load(LiveRoot{tree.Root()}, "/usr/share/hwdata/usb.ids");
  EXPECT_EQ(missing.Vendor(0x1af4), "");
}

}  // namespace
}  // namespace tov::machine::live
