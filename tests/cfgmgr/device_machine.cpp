#include "tests/cfgmgr/device_machine.h"

#include <algorithm>

namespace tov::test {

const std::vector<std::string>& CfgMgrEntryPoints() {
  static const std::vector<std::string> names = {
      "CM_Get_Version",           "CM_Get_Global_State",
      "CM_Locate_DevNodeA",       "CM_Get_Parent",
      "CM_Get_Sibling",           "CM_Get_Child",
      "CM_Get_DevNode_Registry_PropertyA", "CM_Get_Device_IDA",
      "CM_Get_DevNode_Status",    "CM_Get_First_Log_Conf",
      "CM_Get_Next_Log_Conf",     "CM_Free_Log_Conf_Handle",
      "CM_Get_Log_Conf_Priority", "CM_Get_Next_Res_Des",
      "CM_Free_Res_Des_Handle",   "CM_Get_Res_Des_Data_Size",
      "CM_Get_Res_Des_Data",      "CM_Get_Class_Registry_PropertyA",
      "CM_Get_Class_NameA"};
  return names;
}

const std::vector<std::string>& SetupEntryPoints() {
  static const std::vector<std::string> names = {
      "SetupDiCreateDeviceInfoList", "SetupDiOpenDeviceInfoA",   "SetupDiSetDeviceInstallParamsA",
      "SetupDiBuildDriverInfoList",  "SetupDiSetSelectedDriverA", "SetupOpenFileQueue",
      "SetupDiCallClassInstaller",   "SetupScanFileQueueA",       "SetupCloseFileQueue",
      "SetupDiDestroyDeviceInfoList"};
  return names;
}

void AddDeviceLibraries(machine::Machine& m, std::initializer_list<std::string_view> missing) {
  auto is_missing = [&](std::string_view name) {
    return std::find(missing.begin(), missing.end(), name) != missing.end();
  };
  auto add = [&](const char* library, const std::vector<std::string>& names) {
    if (is_missing(library)) return;
    machine::MachineLibrary& lib = m.Library(library);
    for (const std::string& name : names) {
      if (!is_missing(name)) lib.Export(name);
    }
  };
  add("CFGMGR32.DLL", CfgMgrEntryPoints());
  add("SETUPAPI.DLL", SetupEntryPoints());
  add("NEWDEV.DLL", {});
}

AdapterMachine::AdapterMachine(std::initializer_list<std::string_view> files,
                               std::initializer_list<std::string_view> missing)
    : root(m.Devices().Root("HTREE\\ROOT\\0")),
      adapter(root.Child(kAdapterId)),
      driver(m.Devices().AddDriver("oem3.inf")) {
  AddDeviceLibraries(m, missing);
  adapter.Prop(CM_DRP_DEVICEDESC, "Intel(R) PRO/1000 MT Network Connection")
      .Prop(CM_DRP_MFG, "Intel")
      .Prop(CM_DRP_CLASSGUID, kNetClassGuid)
      .Prop(CM_DRP_DRIVER, kAdapterDriver)
      .Prop(CM_DRP_SERVICE, "E1000");
  m.Devices().Class(kNetClassGuid).Name("Net").Characteristics(0x84);
  m.Registry().Key(kAdapterDriverKey).Sz("InfPath", "oem3.inf").Sz("ProviderName", "Intel");
  m.Registry().Key(kAdapterServiceKey).ExpandSz("ImagePath", "system32\\DRIVERS\\e1000.sys");
  driver.Description("Intel(R) PRO/1000 MT Network Connection").Manufacturer("Intel").Provider("Intel");
  for (std::string_view file : files) driver.File(file);
}

}  // namespace tov::test
