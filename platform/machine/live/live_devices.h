/// The parts of the live device loader: one sysfs device as read from its
/// folder, its Windows-shaped identity, its setup class and its resources.
/// LoadLiveDevices (live_source.h) puts them together.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/machine/device_node.h"
#include "platform/machine/live/live_hwdata.h"
#include "platform/machine/live/live_source.h"
#include "platform/machine/live/live_sysfs.h"

namespace tov::machine::live {

/// One device of the sysfs tree: a folder below /sys/devices with a uevent file.
struct SysfsDevice {
  const SysfsFolder* folder = nullptr;  // its open folder, where its attributes are read
  std::string devpath;    // the kernel's path, "/devices/pci0000:00/0000:00:03.0"
  std::string name;       // the folder's name, "0000:00:03.0"
  std::string subsystem;  // the bus or class it belongs to ("pci", "net"), or empty
  std::string driver;     // the bound driver, or empty
  bool on_bus = false;    // a device of a bus (not of a class), which a driver drives
  std::map<std::string, std::string> uevent;
  const SysfsDevice* parent = nullptr;  // the nearest device above it, or null
};

/// The ID databases the names come from, each read when first asked for
/// (a machine without USB devices never reads usb.ids).
class IdDatabases {
 public:
  explicit IdDatabases(const LiveRoot& where) : where_(where) {}
  const IdDatabase& Pci() const { return Get(pci_, "/usr/share/hwdata/pci.ids"); }
  const IdDatabase& Usb() const { return Get(usb_, "/usr/share/hwdata/usb.ids"); }

 private:
  const IdDatabase& Get(std::optional<IdDatabase>& db, const char* path) const {
    if (!db) db = IdDatabase::Load(where_, path);
    return *db;
  }
  const LiveRoot& where_;
  mutable std::optional<IdDatabase> pci_;
  mutable std::optional<IdDatabase> usb_;
};

/// What a device is called in the Windows shapes.
struct DeviceIdentity {
  std::string instance_id;  // "PCI\VEN_1AF4&DEV_1041&SUBSYS_10411AF4&REV_01\0000:00:03.0"
  std::string enumerator;   // "PCI", "USB", "ACPI", ...
  std::string description;
  std::string manufacturer;
  std::string location;                 // "PCI bus 0, device 3, function 0" for PCI
  std::optional<uint32_t> address;      // the bus address, where the bus has one
  std::vector<std::string> hardware_ids;
  std::vector<std::string> compatible_ids;
  std::string setup_class;  // a name of SetupClassByName, or empty
};

/// The identity of `device` from its attributes and the ID databases.
DeviceIdentity IdentifyDevice(const SysfsDevice& device, const IdDatabases& ids);

/// A setup class of the platform: its name, GUID text and description.
struct SetupClassInfo {
  const char* name;
  const char* guid;
  const char* description;
};

/// The setup class called `name` ("Net", "DiskDrive", ...), or null.
const SetupClassInfo* SetupClassByName(const std::string& name);

/// The setup class name of a device that is neither PCI nor USB, from its
/// subsystem (and its name or type within it), or empty.
std::string SetupClassOfSubsystem(const SysfsDevice& device);

/// Adds the allocated configuration of a PCI device: a memory or I/O port
/// descriptor for each range of its `resource` file, then an IRQ descriptor
/// for its line interrupt and each of its message-signalled interrupts.
/// Nothing when it has none of them.
void AddPciResources(const LiveRoot& where, const SysfsDevice& device, DeviceNode& node);

}  // namespace tov::machine::live
