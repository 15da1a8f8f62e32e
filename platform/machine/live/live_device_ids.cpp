// Device identities in the Windows shapes: instance IDs, hardware and
// compatible IDs, names and locations, per bus.
#include <cstdio>

#include "platform/machine/live/live_devices.h"

namespace tov::machine::live {

namespace {

std::string Format(const char* format, unsigned a, unsigned b = 0, unsigned c = 0,
                   unsigned d = 0) {
  char text[128];
  std::snprintf(text, sizeof text, format, a, b, c, d);
  return text;
}

std::string Upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

unsigned Number(const SysfsDevice& device, const char* file, int base = 0) {
  return static_cast<unsigned>(device.folder->Number(file, base).value_or(0));
}

std::string Text(const SysfsDevice& device, const char* file) {
  return device.folder->Attribute(file).value_or("");
}

std::string FirstNonEmpty(std::initializer_list<std::string> texts) {
  for (const std::string& text : texts) {
    if (!text.empty()) return text;
  }
  return {};
}

// The modalias ends the hardware IDs: it is the kernel's own ID of the device.
void AddModalias(const SysfsDevice& device, DeviceIdentity& id) {
  auto found = device.uevent.find("MODALIAS");
  if (found != device.uevent.end() && !found->second.empty()) {
    id.hardware_ids.push_back(found->second);
  }
}

// PCI: "PCI\VEN_v&DEV_d&SUBSYS_s&REV_r\<slot>", the platform's hardware and
// compatible ID lists, names from pci.ids, the location text the device
// tree parses its PCI address from.
std::string PciSetupClass(uint32_t class_code) {
  unsigned base = class_code >> 16;
  unsigned sub = class_code >> 8 & 0xFF;
  switch (base) {
    case 0x01: return sub == 0x01 || sub == 0x06 ? "HDC" : "SCSIAdapter";
    case 0x02: return "Net";
    case 0x03: return "Display";
    case 0x04: return "MEDIA";
    case 0x07: return sub == 0x00 || sub == 0x01 ? "Ports" : "System";
    case 0x09: return sub == 0x00 ? "Keyboard" : sub == 0x02 ? "Mouse" : "HIDClass";
    case 0x0B: return "Processor";
    case 0x0C: return sub == 0x03 ? "USB" : "System";
    case 0x0D: return sub == 0x11 ? "Bluetooth" : "Net";
    default: return "System";
  }
}

DeviceIdentity IdentifyPci(const SysfsDevice& device, const IdDatabases& ids) {
  DeviceIdentity id;
  unsigned vendor = Number(device, "vendor");
  unsigned dev = Number(device, "device");
  unsigned sub_vendor = Number(device, "subsystem_vendor");
  unsigned sub_device = Number(device, "subsystem_device");
  unsigned revision = Number(device, "revision");
  uint32_t class_code = Number(device, "class");
  std::string ven = Format("PCI\\VEN_%04X", vendor);
  std::string ven_dev = ven + Format("&DEV_%04X", dev);
  std::string subsys = Format("&SUBSYS_%04X%04X", sub_device, sub_vendor);
  std::string rev = Format("&REV_%02X", revision);
  std::string cc6 = Format("CC_%06X", class_code);
  std::string cc4 = Format("CC_%04X", class_code >> 8);
  id.instance_id = ven_dev + subsys + rev + "\\" + device.name;
  id.enumerator = "PCI";
  id.hardware_ids = {ven_dev + subsys + rev, ven_dev + subsys, ven_dev + "&" + cc6,
                     ven_dev + "&" + cc4};
  AddModalias(device, id);
  id.compatible_ids = {ven_dev + rev, ven_dev,         ven + "&" + cc6,   ven + "&" + cc4,
                       ven,           "PCI\\" + cc6, "PCI\\" + cc4};
  id.description = FirstNonEmpty({ids.Pci().Device(static_cast<uint16_t>(vendor),
                                                  static_cast<uint16_t>(dev)),
                                   ids.Pci().ClassName(class_code), "PCI device"});
  id.manufacturer = ids.Pci().Vendor(static_cast<uint16_t>(vendor));
  unsigned domain = 0, bus = 0, slot = 0, function = 0;
  if (std::sscanf(device.name.c_str(), "%x:%x:%x.%x", &domain, &bus, &slot, &function) == 4) {
    id.location = Format("PCI bus %u, device %u, function %u", bus, slot, function);
    id.address = slot << 16 | function;
  }
  id.setup_class = PciSetupClass(class_code);
  return id;
}

// USB: "USB\VID_v&PID_p\<serial number or port path>" for a device,
// "USB\VID_v&PID_p&MI_nn\<port path and interface>" for each interface.
std::string UsbInterfaceClass(unsigned usb_class) {
  switch (usb_class) {
    case 0x01: return "MEDIA";
    case 0x03: return "HIDClass";
    case 0x06: return "Image";
    case 0x07: return "Printer";
    case 0x0B: return "SmartCardReader";
    case 0x0E: return "Image";
    case 0xE0: return "Bluetooth";
    default: return "USB";
  }
}

// A serial number names the instance when it is a plain word the platform
// allows in an instance ID.
bool UsableSerial(const std::string& serial) {
  if (serial.empty() || serial.size() > 64) return false;
  for (char c : serial) {
    if (c <= ' ' || c > '~' || c == '\\' || c == ',') return false;
  }
  return true;
}

// The number after the last '-' or '.' of a USB port path ("1-1.4" -> 4): the
// port the device hangs on.
std::optional<uint32_t> UsbPort(const std::string& name) {
  size_t cut = name.find_last_of("-.");
  if (cut == std::string::npos || cut + 1 >= name.size()) return std::nullopt;
  unsigned port = 0;
  if (std::sscanf(name.c_str() + cut + 1, "%u", &port) != 1) return std::nullopt;
  return port;
}

void AddUsbClassIds(unsigned cls, unsigned sub, unsigned prot, DeviceIdentity& id) {
  std::string c = Format("USB\\Class_%02X", cls);
  id.compatible_ids = {c + Format("&SubClass_%02X&Prot_%02X", sub, prot),
                       c + Format("&SubClass_%02X", sub), c};
}

DeviceIdentity IdentifyUsbDevice(const SysfsDevice& device, const IdDatabases& ids) {
  DeviceIdentity id;
  unsigned vendor = Number(device, "idVendor", 16);
  unsigned product = Number(device, "idProduct", 16);
  std::string vid_pid = Format("USB\\VID_%04X&PID_%04X", vendor, product);
  std::string serial = Text(device, "serial");
  id.instance_id = vid_pid + "\\" + (UsableSerial(serial) ? serial : device.name);
  id.enumerator = "USB";
  id.hardware_ids = {vid_pid + Format("&REV_%04X", Number(device, "bcdDevice", 16)), vid_pid};
  AddModalias(device, id);
  AddUsbClassIds(Number(device, "bDeviceClass", 16), Number(device, "bDeviceSubClass", 16),
                 Number(device, "bDeviceProtocol", 16), id);
  id.description = FirstNonEmpty({ids.Usb().Device(static_cast<uint16_t>(vendor),
                                                  static_cast<uint16_t>(product)),
                                   Text(device, "product"), "USB device"});
  id.manufacturer = FirstNonEmpty(
      {ids.Usb().Vendor(static_cast<uint16_t>(vendor)), Text(device, "manufacturer")});
  id.address = UsbPort(device.name);
  id.setup_class = "USB";
  return id;
}

DeviceIdentity IdentifyUsbInterface(const SysfsDevice& device, const IdDatabases& ids) {
  DeviceIdentity id;
  const SysfsDevice* owner = device.parent;
  unsigned vendor = owner ? Number(*owner, "idVendor", 16) : 0;
  unsigned product = owner ? Number(*owner, "idProduct", 16) : 0;
  unsigned number = Number(device, "bInterfaceNumber", 16);
  std::string vid_pid = Format("USB\\VID_%04X&PID_%04X", vendor, product);
  std::string mi = Format("&MI_%02X", number);
  id.instance_id = vid_pid + mi + "\\" + device.name;
  id.enumerator = "USB";
  unsigned bcd = owner ? Number(*owner, "bcdDevice", 16) : 0;
  id.hardware_ids = {vid_pid + Format("&REV_%04X", bcd) + mi, vid_pid + mi};
  AddModalias(device, id);
  unsigned cls = Number(device, "bInterfaceClass", 16);
  AddUsbClassIds(cls, Number(device, "bInterfaceSubClass", 16),
                 Number(device, "bInterfaceProtocol", 16), id);
  id.description = FirstNonEmpty({Text(device, "interface"),
                                  ids.Usb().Device(static_cast<uint16_t>(vendor),
                                                 static_cast<uint16_t>(product)),
                                  "USB interface"});
  id.manufacturer = ids.Usb().Vendor(static_cast<uint16_t>(vendor));
  id.address = number;
  id.setup_class = UsbInterfaceClass(cls);
  return id;
}

// Every other device: "<SUBSYSTEM>\<name>", or "ROOT\<name>" for one that
// belongs to no subsystem (the kernel's own roots of buses and device lists).
DeviceIdentity IdentifyOther(const SysfsDevice& device) {
  DeviceIdentity id;
  id.enumerator = device.subsystem.empty() ? "ROOT" : Upper(device.subsystem);
  id.instance_id = id.enumerator + "\\" + device.name;
  // ACPI and PNP IDs in the platform's forms: "ACPI\PNP0A08" and "*PNP0A08"
  // for the device's own ID, the same for the IDs it is compatible with.
  auto alias = device.uevent.find("MODALIAS");
  if (device.subsystem == "acpi" && alias != device.uevent.end() &&
      alias->second.compare(0, 5, "acpi:") == 0) {
    std::string rest = alias->second.substr(5);
    bool first = true;
    size_t at = 0;
    while (at < rest.size()) {
      size_t end = rest.find(':', at);
      if (end == std::string::npos) end = rest.size();
      std::string pnp = rest.substr(at, end - at);
      at = end + 1;
      if (pnp.empty()) continue;
      auto& list = first ? id.hardware_ids : id.compatible_ids;
      list.push_back("ACPI\\" + pnp);
      list.push_back("*" + pnp);
      first = false;
    }
  }
  AddModalias(device, id);
  id.description = FirstNonEmpty(
      {Text(device, "product"), Text(device, "name"), Text(device, "model"), device.name});
  id.setup_class = SetupClassOfSubsystem(device);
  return id;
}

}  // namespace

DeviceIdentity IdentifyDevice(const SysfsDevice& device, const IdDatabases& ids) {
  if (device.subsystem == "pci") return IdentifyPci(device, ids);
  if (device.subsystem == "usb") {
    auto type = device.uevent.find("DEVTYPE");
    if (type != device.uevent.end() && type->second == "usb_device") {
      return IdentifyUsbDevice(device, ids);
    }
    if (type != device.uevent.end() && type->second == "usb_interface") {
      return IdentifyUsbInterface(device, ids);
    }
  }
  return IdentifyOther(device);
}

}  // namespace tov::machine::live
