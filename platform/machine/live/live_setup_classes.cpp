// The platform's setup classes a Linux device is put into: their well-known
// GUIDs and the descriptions the class keys hold, and the choice of class
// for devices that are neither PCI nor USB.
#include <cstring>

#include "platform/machine/live/live_devices.h"

namespace tov::machine::live {

namespace {

const SetupClassInfo kClasses[] = {
    {"Bluetooth", "{E0CBF06C-CD8B-4647-BB8A-263B43F0F974}", "Bluetooth"},
    {"CDROM", "{4D36E965-E325-11CE-BFC1-08002BE10318}", "DVD/CD-ROM drives"},
    {"DiskDrive", "{4D36E967-E325-11CE-BFC1-08002BE10318}", "Disk drives"},
    {"Display", "{4D36E968-E325-11CE-BFC1-08002BE10318}", "Display adapters"},
    {"HDC", "{4D36E96A-E325-11CE-BFC1-08002BE10318}", "IDE ATA/ATAPI controllers"},
    {"HIDClass", "{745A17A0-74D3-11D0-B6FE-00A0C90F57DA}", "Human Interface Devices"},
    {"Image", "{6BDD1FC6-810F-11D0-BEC7-08002BE2092F}", "Imaging devices"},
    {"Keyboard", "{4D36E96B-E325-11CE-BFC1-08002BE10318}", "Keyboards"},
    {"MEDIA", "{4D36E96C-E325-11CE-BFC1-08002BE10318}", "Sound, video and game controllers"},
    {"Mouse", "{4D36E96F-E325-11CE-BFC1-08002BE10318}", "Mice and other pointing devices"},
    {"Net", "{4D36E972-E325-11CE-BFC1-08002BE10318}", "Network adapters"},
    {"Ports", "{4D36E978-E325-11CE-BFC1-08002BE10318}", "Ports (COM & LPT)"},
    {"Printer", "{4D36E979-E325-11CE-BFC1-08002BE10318}", "Printers"},
    {"Processor", "{50127DC3-0F36-415E-A6CC-4CB3BE910B65}", "Processors"},
    {"SCSIAdapter", "{4D36E97B-E325-11CE-BFC1-08002BE10318}", "Storage controllers"},
    {"SmartCardReader", "{50DD5230-BA8A-11D1-BF5D-0000F805F530}", "Smart card readers"},
    {"System", "{4D36E97D-E325-11CE-BFC1-08002BE10318}", "System devices"},
    {"USB", "{36FC9E60-C465-11CF-8056-444553540000}", "Universal Serial Bus controllers"},
    {"Volume", "{71A27CDD-812A-11D0-BEC7-08002BE2092F}", "Storage volumes"},
};

// Subsystems whose every device is of one class.
struct SubsystemClass {
  const char* subsystem;
  const char* setup_class;
};

const SubsystemClass kSubsystemClasses[] = {
    {"net", "Net"},           {"input", "HIDClass"},     {"hid", "HIDClass"},
    {"sound", "MEDIA"},       {"drm", "Display"},        {"graphics", "Display"},
    {"cpu", "Processor"},     {"scsi_host", "SCSIAdapter"}, {"acpi", "System"},
    {"pnp", "System"},        {"platform", "System"},    {"memory", "System"},
    {"node", "System"},       {"container", "System"},   {"clocksource", "System"},
    {"clockevents", "System"}, {"workqueue", "System"},  {"event_source", "System"},
    {"machinecheck", "System"}, {"thermal", "System"},   {"rtc", "System"},
    {"watchdog", "System"},   {"virtio", "System"},      {"serial-base", "System"},
    {"i2c", "System"},        {"pci_bus", "System"},
};

bool StartsWith(const std::string& text, const char* prefix) {
  return text.compare(0, std::strlen(prefix), prefix) == 0;
}

}  // namespace

const SetupClassInfo* SetupClassByName(const std::string& name) {
  for (const SetupClassInfo& c : kClasses) {
    if (name == c.name) return &c;
  }
  return nullptr;
}

std::string SetupClassOfSubsystem(const SysfsDevice& device) {
  const std::string& s = device.subsystem;
  if (s == "block") {
    auto type = device.uevent.find("DEVTYPE");
    if (type != device.uevent.end() && type->second == "partition") return "Volume";
    return StartsWith(device.name, "sr") ? "CDROM" : "DiskDrive";
  }
  if (s == "tty") {
    // Serial ports, not the consoles and pseudo-terminals of the same class.
    for (const char* port : {"ttyS", "ttyUSB", "ttyACM", "ttyAMA"}) {
      if (StartsWith(device.name, port)) return "Ports";
    }
    return {};
  }
  for (const SubsystemClass& entry : kSubsystemClasses) {
    if (s == entry.subsystem) return entry.setup_class;
  }
  return {};
}

}  // namespace tov::machine::live
