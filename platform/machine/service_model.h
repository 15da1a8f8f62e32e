/// The services the machine's Service Control Manager knows, in its order,
/// each with its status and configuration. The builder keeps the service's
/// registry key in step with the configuration, as the manager does:
///
///   m.AddService("disk").KernelDriver().StartType(SERVICE_BOOT_START)
///       .ImagePath("system32\\DRIVERS\\disk.sys").Running();
///
/// writes Type, Start and ImagePath below
/// HKLM\SYSTEM\CurrentControlSet\Services\disk as well. Setters that say
/// "registry only" or "configuration only" touch one side, so a test can make
/// the two disagree or leave the key out.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/machine/handle_table.h"
#include "platform/machine/registry_key.h"
#include "platform/machine/text_case.h"
#include "win32/services.h"

namespace tov::machine {

/// The handle kinds of OpenSCManagerA and OpenServiceA.
inline constexpr HandleKind kScmHandle{"service control manager"};
inline constexpr HandleKind kServiceHandle{"service"};

/// What QueryServiceConfigA reports for a service.
struct ServiceConfig {
  uint32_t service_type = SERVICE_WIN32_OWN_PROCESS;
  uint32_t start_type = SERVICE_DEMAND_START;
  uint32_t error_control = SERVICE_ERROR_NORMAL;
  std::string binary_path;
  std::string load_order_group;
  uint32_t tag_id = 0;
  std::vector<std::string> dependencies;  // group names start with '+'
  std::string start_name;
};

/// One service; its setters are the builder.
class MachineService {
 public:
  MachineService(std::string name, RegistryKey& hklm);

  const std::string& Name() const { return name_; }
  const std::string& DisplayName() const { return display_name_; }
  const SERVICE_STATUS& Status() const { return status_; }
  const ServiceConfig& Config() const { return config_; }
  bool AccessDenied() const { return access_denied_; }

  /// The display name (the service name unless set); configuration and
  /// enumeration, registry "DisplayName".
  MachineService& DisplayName(std::string_view name);
  /// The type, in the status and the configuration; registry "Type".
  MachineService& Type(uint32_t service_type);
  MachineService& KernelDriver() { return Type(SERVICE_KERNEL_DRIVER); }
  MachineService& FileSystemDriver() { return Type(SERVICE_FILE_SYSTEM_DRIVER); }
  MachineService& OwnProcess() { return Type(SERVICE_WIN32_OWN_PROCESS); }
  MachineService& ShareProcess() { return Type(SERVICE_WIN32_SHARE_PROCESS); }
  /// Registry "Start".
  MachineService& StartType(uint32_t start_type);
  /// Registry "ErrorControl".
  MachineService& ErrorControl(uint32_t error_control);
  /// The configuration's binary path; registry "ImagePath" (REG_EXPAND_SZ).
  MachineService& ImagePath(std::string_view path);
  /// Configuration only: the binary path without a registry "ImagePath".
  MachineService& BinaryPath(std::string_view path);
  /// Registry "Group".
  MachineService& Group(std::string_view group);
  /// Registry "Tag".
  MachineService& Tag(uint32_t tag_id);
  /// Services and ('+' prefixed) groups it depends on; registry
  /// "DependOnService" and "DependOnGroup" (groups without the '+').
  MachineService& Dependencies(std::vector<std::string> names);
  /// The account it runs as; registry "ObjectName".
  MachineService& StartName(std::string_view account);
  /// Registry only: "Description" (REG_SZ), exactly as given.
  MachineService& Description(std::string_view text);
  /// Registry only: "Parameters\ServiceDll" (REG_EXPAND_SZ).
  MachineService& ServiceDll(std::string_view path);
  /// Registry only: the service's key, for values the setters above do not
  /// cover (created when first asked for).
  RegistryKey& Key();

  /// The whole status; its type is also the configuration's.
  MachineService& Status(const SERVICE_STATUS& status);
  /// The current state (SERVICE_STOPPED unless set).
  MachineService& State(uint32_t state);
  MachineService& Running() { return State(SERVICE_RUNNING); }
  MachineService& Stopped() { return State(SERVICE_STOPPED); }
  /// OpenServiceA refuses the service (ERROR_ACCESS_DENIED).
  MachineService& DenyAccess();

 private:
  std::string name_;
  std::string display_name_;
  SERVICE_STATUS status_{};
  ServiceConfig config_;
  bool access_denied_ = false;
  RegistryKey* hklm_;
};

/// All services, in the order the manager enumerates them, and how the
/// manager itself behaves.
class ServiceModel {
 public:
  /// The service called `name` (any letter case), added at the end when it
  /// is not there yet; its registry key lives below `hklm`.
  MachineService& Add(std::string_view name, RegistryKey& hklm);
  /// The service called `name` (any letter case), or null.
  const MachineService* Find(std::string_view name) const;
  const std::vector<std::unique_ptr<MachineService>>& All() const { return services_; }

  /// OpenSCManagerA fails with `error`.
  ServiceModel& RefuseOpen(uint32_t error = ERROR_ACCESS_DENIED);
  std::optional<uint32_t> OpenRefusal() const { return open_refusal_; }

  /// The `call`-th EnumServicesStatusA on one manager handle (1 for the
  /// first) fails with `error`.
  ServiceModel& FailEnumeration(int call, uint32_t error);
  /// The error of the `call`-th enumeration call, if it is made to fail.
  std::optional<uint32_t> EnumerationFailure(int call) const;

 private:
  std::vector<std::unique_ptr<MachineService>> services_;
  std::map<std::string, MachineService*, LessIgnoreCase> by_name_;
  std::optional<uint32_t> open_refusal_;
  int failing_call_ = 0;
  uint32_t failing_error_ = 0;
};

}  // namespace tov::machine
