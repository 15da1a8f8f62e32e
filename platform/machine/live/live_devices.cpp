// The device tree of the live machine: every folder below /sys/devices that
// has a uevent file becomes a device node, under the nearest such folder
// above it, or under the root node.
#include <algorithm>
#include <set>

#include "platform/machine/live/live_devices.h"
#include "platform/machine/live/live_files.h"
#include "platform/machine/live/live_source.h"
#include "platform/machine/live/live_sysfs.h"
#include "platform/machine/machine.h"

namespace tov::machine::live {

namespace {

// sysfs nests a few levels per bus; a deeper tree is not a sysfs tree.
constexpr int kMaxDepth = 64;

std::vector<uint8_t> MultiSzBytes(const std::vector<std::string>& texts) {
  std::vector<uint8_t> bytes;
  for (const std::string& text : texts) {
    bytes.insert(bytes.end(), text.begin(), text.end());
    bytes.push_back(0);
  }
  bytes.push_back(0);
  return bytes;
}

class TreeLoader {
 public:
  TreeLoader(const LiveRoot& where, Machine& machine)
      : where_(where), machine_(machine), ids_(where) {}

  void Load() {
    DeviceNode& root = machine_.Devices().Root("HTREE\\ROOT\\0");
    Walk(SysfsFolder(where_.Path("/sys/devices")), "/devices", nullptr, root, 0);
  }

 private:
  // Visits the folders in `folder`: a device becomes a child of `node` and
  // its folder is walked with it as the parent; any other folder is walked
  // with the same parent. A "power" folder holds a device's power
  // management attributes, never devices, and is not entered.
  void Walk(const SysfsFolder& folder, const std::string& devpath, const SysfsDevice* parent,
            DeviceNode& node, int depth) {
    if (depth > kMaxDepth) return;
    for (const SysfsFolder::Entry& entry : folder.Entries()) {
      if (!entry.is_folder || entry.name == "power") continue;
      SysfsFolder child(folder, entry.name);
      std::string child_devpath = devpath + "/" + entry.name;
      if (!child.Has("uevent")) {
        Walk(child, child_devpath, parent, node, depth + 1);
        continue;
      }
      SysfsDevice device;
      device.folder = &child;
      device.devpath = child_devpath;
      device.name = entry.name;
      std::string subsystem = child.LinkTarget("subsystem");
      device.subsystem = BaseName(subsystem);
      device.on_bus = subsystem.find("/bus/") != std::string::npos;
      device.driver = BaseName(child.LinkTarget("driver"));
      device.uevent = child.Uevent();
      device.parent = parent;
      DeviceNode& added = AddDevice(device, node);
      Walk(child, child_devpath, &device, added, depth + 1);
    }
  }

  DeviceNode& AddDevice(const SysfsDevice& device, DeviceNode& parent) {
    DeviceIdentity id = IdentifyDevice(device, ids_);
    DeviceNode& node = parent.Child(UniqueId(id.instance_id));
    const std::string& instance = node.InstanceId();
    node.Prop(CM_DRP_DEVICEDESC, id.description).Prop(CM_DRP_ENUMERATOR_NAME, id.enumerator);
    // The kernel's name of the device object.
    node.Prop(CM_DRP_PHYSICAL_DEVICE_OBJECT_NAME, device.devpath);
    if (!id.manufacturer.empty()) node.Prop(CM_DRP_MFG, id.manufacturer);
    if (!id.location.empty()) node.Prop(CM_DRP_LOCATION_INFORMATION, id.location);
    if (id.address) node.PropDword(CM_DRP_ADDRESS, *id.address);
    if (!device.driver.empty()) node.Prop(CM_DRP_SERVICE, device.driver);
    RegistryKey& enum_key = machine_.Registry().Key("SYSTEM\\CurrentControlSet\\Enum\\" + instance);
    if (!id.hardware_ids.empty()) {
      node.PropRaw(CM_DRP_HARDWAREID, REG_MULTI_SZ, MultiSzBytes(id.hardware_ids));
      enum_key.MultiSz("HardwareID", id.hardware_ids);
    }
    if (!id.compatible_ids.empty()) {
      node.PropRaw(CM_DRP_COMPATIBLEIDS, REG_MULTI_SZ, MultiSzBytes(id.compatible_ids));
      enum_key.MultiSz("CompatibleIDs", id.compatible_ids);
    }
    if (const SetupClassInfo* setup_class = SetupClassByName(id.setup_class)) {
      node.Prop(CM_DRP_CLASSGUID, setup_class->guid).Prop(CM_DRP_CLASS, setup_class->name);
      AddClass(*setup_class);
    }
    SetStatus(device, node);
    if (device.subsystem == "pci") AddPciResources(where_, device, node);
    return node;
  }

  // The ID, or when another device has it already (two subsystems may use one
  // name), the ID with "&2", "&3", ... appended.
  std::string UniqueId(const std::string& id) {
    if (machine_.Devices().FindById(id) == nullptr) return id;
    for (int n = 2;; ++n) {
      std::string candidate = id + "&" + std::to_string(n);
      if (machine_.Devices().FindById(candidate) == nullptr) return candidate;
    }
  }

  void AddClass(const SetupClassInfo& setup_class) {
    if (!classes_.insert(setup_class.name).second) return;
    machine_.Devices().Class(setup_class.guid).Name(setup_class.name);
    machine_.Registry()
        .Key(std::string("SYSTEM\\CurrentControlSet\\Control\\Class\\") + setup_class.guid)
        .Sz("", setup_class.description);
  }

  // A device with a bound driver is started by it. A bus device without one,
  // on a bus that has drivers, waits for a driver: "the drivers for this
  // device are not installed". Any other device needs no driver and works.
  void SetStatus(const SysfsDevice& device, DeviceNode& node) {
    if (!device.driver.empty()) {
      node.Status(DN_DRIVER_LOADED | DN_STARTED, 0);
    } else if (device.on_bus && BusHasDrivers(device.subsystem)) {
      node.Status(DN_HAS_PROBLEM, CM_PROB_FAILED_INSTALL);
    } else {
      node.Status(DN_STARTED, 0);
    }
  }

  bool BusHasDrivers(const std::string& bus) {
    auto found = bus_has_drivers_.find(bus);
    if (found != bus_has_drivers_.end()) return found->second;
    SysfsFolder drivers(where_.Path("/sys/bus/" + bus + "/drivers"));
    bool has = std::any_of(drivers.Entries().begin(), drivers.Entries().end(),
                           [](const SysfsFolder::Entry& e) { return e.is_folder; });
    bus_has_drivers_[bus] = has;
    return has;
  }

  const LiveRoot& where_;
  Machine& machine_;
  IdDatabases ids_;
  std::set<std::string> classes_;
  std::map<std::string, bool> bus_has_drivers_;
};

}  // namespace

void LoadLiveDevices(const LiveRoot& where, Machine& machine) {
  TreeLoader(where, machine).Load();
}

}  // namespace tov::machine::live
