/// The machine's devices: the device-node tree, the setup classes and the
/// driver packages, answered by the Configuration Manager and setup library
/// operations of the Linux platform layer. A test says its devices in a few
/// lines:
///
///   DeviceModel& d = m.Devices();
///   DeviceNode& root = d.Root("HTREE\\ROOT\\0");
///   root.Child("PCI\\VEN_8086&DEV_100E\\3&1&9").Prop(CM_DRP_DEVICEDESC, "Gigabit adapter");
///   d.Class("{4D36E972-E325-11CE-BFC1-08002BE10318}").Name("Net").Characteristics(0x84);
///   d.AddDriver("oem3.inf").Description("Gigabit adapter").Manufacturer("Intel")
///       .Provider("Intel").Files({"C:\\WINDOWS\\system32\\DRIVERS\\e1000.sys"});
///
/// Device registry keys (Enum, driver, class, service and co-installer keys)
/// are ordinary keys of m.Registry(). The configuration, descriptor, device
/// information set and file queue handles the operations hand out are kept in
/// the machine's handle table under the kinds below; every release is also
/// entered in Releases(), so a test can check that each handle was released
/// exactly once.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/machine/device_node.h"
#include "platform/machine/driver_package.h"
#include "platform/machine/handle_table.h"
#include "platform/machine/text_case.h"

namespace tov::machine {

inline constexpr HandleKind kLogConfHandle{"logical configuration"};
inline constexpr HandleKind kResDesHandle{"resource descriptor"};
inline constexpr HandleKind kDeviceInfoSetHandle{"device information set"};
inline constexpr HandleKind kFileQueueHandle{"file queue"};

/// Every release call of a configuration, descriptor, set or queue handle.
/// Thread-safe; the operations record into it while the machine is installed.
class ReleaseLedger {
 public:
  /// Notes one release call of `handle`; `was_open` tells whether it released anything.
  void Record(uintptr_t handle, bool was_open);
  /// Release calls made for `handle`, successful or not.
  int Releases(uintptr_t handle) const;
  /// Release calls for a handle that was not open: released before, or never handed out.
  int BadReleases() const;

 private:
  mutable std::mutex mutex_;
  std::map<uintptr_t, int> releases_;
  int bad_releases_ = 0;
};

class DeviceModel {
 public:
  DeviceModel() = default;
  DeviceModel(const DeviceModel&) = delete;
  DeviceModel& operator=(const DeviceModel&) = delete;

  /// The root node, made with this instance ID on the first call.
  DeviceNode& Root(std::string_view instance_id);
  const DeviceNode* Root() const { return root_.get(); }

  /// Takes `node` and its subtree out of the tree, as when a device leaves the
  /// system: their handles and instance IDs are no longer found. Handles
  /// already open on their configurations stay usable until released. Made
  /// between operations, never while they run; the root cannot be removed
  /// (std::invalid_argument).
  void Remove(const DeviceNode& node);

  /// The node with this handle, or null.
  const DeviceNode* Find(DEVINST handle) const;
  /// The node with this instance ID (any letter case), or null.
  const DeviceNode* FindById(std::string_view instance_id) const;

  /// The setup class with this GUID text ("{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}",
  /// any letter case), added when it is not there yet. Throws
  /// std::invalid_argument for text that is not a braced GUID.
  SetupClass& Class(std::string_view guid_text);
  /// The setup class with this GUID, or null.
  const SetupClass* FindClass(const GUID& guid) const;

  /// Adds one driver (one entry of a class driver list) of INF file `inf`.
  DriverPackage& AddDriver(std::string_view inf);
  const std::vector<std::unique_ptr<DriverPackage>>& Drivers() const { return drivers_; }

  /// The Configuration Manager's version word (0x0400 unless set) and global state (0 unless set).
  DeviceModel& Version(WORD version);
  WORD Version() const { return version_; }
  DeviceModel& GlobalState(ULONG state);
  ULONG GlobalState() const { return global_state_; }

  ReleaseLedger& Releases() const { return releases_; }

 private:
  friend class DeviceNode;
  // Gives a new node its handle and indexes it; throws std::invalid_argument
  // when another node has the same instance ID.
  DEVINST Register(DeviceNode* node);

  std::unique_ptr<DeviceNode> root_;
  // Removed subtrees, kept so that handles open on them stay valid.
  std::vector<std::unique_ptr<DeviceNode>> removed_;
  // Index by handle: handle h is nodes_[h - 1]. Handles start at 1 so that 0
  // stays "no node", as the platform's callers read it.
  std::vector<DeviceNode*> nodes_;
  std::map<std::string, DeviceNode*, LessIgnoreCase> by_id_;
  std::vector<std::unique_ptr<SetupClass>> classes_;
  std::vector<std::unique_ptr<DriverPackage>> drivers_;
  WORD version_ = 0x0400;
  ULONG global_state_ = 0;
  mutable ReleaseLedger releases_;
};

}  // namespace tov::machine
