/// Machines for the device tests: the binding's libraries with their entry
/// points, and a network adapter with its driver, service and keys.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "platform/machine/current_machine.h"
#include "platform/machine/machine.h"

namespace tov::test {

/// The entry points the binding uses, by library.
const std::vector<std::string>& CfgMgrEntryPoints();
const std::vector<std::string>& SetupEntryPoints();

/// Gives `m` "CFGMGR32.DLL", "SETUPAPI.DLL" and "NEWDEV.DLL" with every entry
/// point of the binding except those named in `missing`; a library named
/// there is left out altogether.
void AddDeviceLibraries(machine::Machine& m, std::initializer_list<std::string_view> missing = {});

/// The network adapter the driver-file tests and reader tests share.
inline constexpr const char* kAdapterId = "PCI\\VEN_8086&DEV_100E&SUBSYS_001E8086&REV_02\\3&267A616A&0&18";
inline constexpr const char* kNetClassGuid = "{4D36E972-E325-11CE-BFC1-08002BE10318}";
inline constexpr const char* kAdapterDriver = "{4D36E972-E325-11CE-BFC1-08002BE10318}\\0001";
inline constexpr const char* kAdapterDriverKey =
    "System\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\0001";
inline constexpr const char* kAdapterServiceKey = "SYSTEM\\CurrentControlSet\\Services\\E1000";

/// A machine with the device libraries, a root and, below it, the adapter:
/// description, manufacturer, class GUID, driver key (InfPath "oem3.inf",
/// ProviderName "Intel"), service "E1000" with ImagePath
/// "system32\DRIVERS\e1000.sys", and the driver package of oem3.inf whose
/// installer queues `files`; the libraries lack what `missing` names (see
/// AddDeviceLibraries). The machine is installed while the object lives.
class AdapterMachine {
 public:
  explicit AdapterMachine(std::initializer_list<std::string_view> files = {},
                          std::initializer_list<std::string_view> missing = {});

  machine::Machine m;
  machine::DeviceNode& root;
  machine::DeviceNode& adapter;
  machine::DriverPackage& driver;
  machine::ScopedMachine use{m};
};

}  // namespace tov::test
