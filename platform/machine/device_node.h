/// One device node of the machine's device tree: its instance ID, registry
/// properties with their types, status and problem number, children in the
/// order they were added, and logical configurations of the six types with
/// their resource descriptors. The setters are the builder:
///
///   DeviceNode& pci = m.Devices().Root("HTREE\\ROOT\\0").Child("PCI\\VEN_8086&DEV_7010\\3&1&9");
///   pci.Prop(CM_DRP_LOCATION_INFORMATION, "PCI bus 0, device 1, function 1")
///       .PropDword(CM_DRP_ADDRESS, 0x10001);
///   pci.LogConf(ALLOC_LOG_CONF).Res(ResType_IRQ, {...}).Res(ResType_IO, {...});
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "win32/cfgmgr.h"

namespace tov::machine {

class DeviceModel;

struct DeviceProperty {
  uint32_t type = 0;
  std::vector<uint8_t> data;  // exactly as stored: a text keeps the NUL it was given
};

/// One resource descriptor: the platform's resource type and its raw data.
struct ResourceDescriptor {
  RESOURCEID type = ResType_None;
  std::vector<uint8_t> data;
  bool readable = true;  // false: its size is known but reading the data fails
};

/// One logical configuration of a node.
class LogConfig {
 public:
  LogConfig(uint32_t type, PRIORITY priority) : type_(type), priority_(priority) {}

  /// Appends a descriptor with these bytes (an empty one has data size 0).
  LogConfig& Res(RESOURCEID type, std::vector<uint8_t> data);
  /// Appends a descriptor that reports `size` bytes whose reading fails.
  LogConfig& UnreadableRes(RESOURCEID type, uint32_t size);

  uint32_t Type() const { return type_; }
  PRIORITY Priority() const { return priority_; }
  const std::vector<ResourceDescriptor>& Descriptors() const { return descriptors_; }

 private:
  uint32_t type_;
  PRIORITY priority_;
  std::vector<ResourceDescriptor> descriptors_;
};

class DeviceNode {
 public:
  /// Made by DeviceModel::Root and Child, which give it its handle.
  DeviceNode(DeviceModel& model, std::string instance_id, DeviceNode* parent);
  DeviceNode(const DeviceNode&) = delete;
  DeviceNode& operator=(const DeviceNode&) = delete;

  /// Adds a child after the existing ones and returns it.
  DeviceNode& Child(std::string_view instance_id);

  /// A REG_SZ property (stored with its NUL).
  DeviceNode& Prop(ULONG property, std::string_view text);
  /// A REG_DWORD property.
  DeviceNode& PropDword(ULONG property, uint32_t value);
  /// A property of any type with exactly these bytes.
  DeviceNode& PropRaw(ULONG property, uint32_t type, std::vector<uint8_t> data);

  /// Status flags and problem number (DN_DRIVER_LOADED | DN_STARTED, 0 unless set).
  DeviceNode& Status(ULONG status, ULONG problem = 0);
  /// The status query fails for this node.
  DeviceNode& NoStatus();

  /// Adds a configuration of `type` (BASIC_LOG_CONF ... OVERRIDE_LOG_CONF)
  /// after the others of that type and returns it for its descriptors.
  LogConfig& LogConf(uint32_t type, PRIORITY priority = LCPRI_NORMAL);

  DEVINST Handle() const { return handle_; }
  const std::string& InstanceId() const { return instance_id_; }
  const DeviceNode* Parent() const { return parent_; }
  const DeviceNode* FirstChild() const;
  const DeviceNode* NextSibling() const;
  const DeviceProperty* FindProp(ULONG property) const;
  /// The status flags and problem number, or nothing when the query fails.
  const std::optional<std::pair<ULONG, ULONG>>& StatusAndProblem() const { return status_; }
  /// The configurations of one type, in the order they were added.
  std::vector<const LogConfig*> LogConfs(uint32_t type) const;

 private:
  friend class DeviceModel;  // removes nodes

  DeviceModel& model_;
  DEVINST handle_;
  std::string instance_id_;
  DeviceNode* parent_;
  size_t index_in_parent_ = 0;
  std::vector<std::unique_ptr<DeviceNode>> children_;
  std::map<ULONG, DeviceProperty> properties_;
  std::optional<std::pair<ULONG, ULONG>> status_{std::make_pair(DN_DRIVER_LOADED | DN_STARTED, 0)};
  // unique_ptr: open configuration handles point at these while more are added.
  std::vector<std::unique_ptr<LogConfig>> log_confs_;
};

}  // namespace tov::machine
