#include "tests/devtree/device_machine.h"

#include <algorithm>

#include "app/globals.h"

namespace {

constexpr std::string_view kCfgMgrExports[] = {
    "CM_Get_Version",         "CM_Get_Global_State",      "CM_Locate_DevNodeA",
    "CM_Get_Parent",          "CM_Get_Sibling",           "CM_Get_Child",
    "CM_Get_DevNode_Registry_PropertyA",                  "CM_Get_Device_IDA",
    "CM_Get_DevNode_Status",  "CM_Get_First_Log_Conf",    "CM_Get_Next_Log_Conf",
    "CM_Free_Log_Conf_Handle", "CM_Get_Log_Conf_Priority", "CM_Get_Next_Res_Des",
    "CM_Free_Res_Des_Handle", "CM_Get_Res_Des_Data_Size", "CM_Get_Res_Des_Data",
    "CM_Get_Class_Registry_PropertyA",                    "CM_Get_Class_NameA",
};

constexpr std::string_view kSetupApiExports[] = {
    "SetupDiCreateDeviceInfoList", "SetupDiOpenDeviceInfoA",    "SetupDiSetDeviceInstallParamsA",
    "SetupDiBuildDriverInfoList",  "SetupDiSetSelectedDriverA", "SetupOpenFileQueue",
    "SetupDiCallClassInstaller",   "SetupScanFileQueueA",       "SetupCloseFileQueue",
    "SetupDiDestroyDeviceInfoList",
};

template <size_t N>
void AddLibrary(tov::machine::Machine& m, std::string_view name, const std::string_view (&exports)[N],
                std::initializer_list<std::string_view> missing) {
  tov::machine::MachineLibrary& library = m.Library(name);
  for (std::string_view entry : exports) {
    if (std::find(missing.begin(), missing.end(), entry) == missing.end()) library.Export(entry);
  }
}

}  // namespace

void AddDeviceLibraries(tov::machine::Machine& m, std::initializer_list<std::string_view> missing) {
  AddLibrary(m, "CFGMGR32.DLL", kCfgMgrExports, missing);
  AddLibrary(m, "SETUPAPI.DLL", kSetupApiExports, missing);
  m.Library("NEWDEV.DLL");
}

BoundApi::BoundApi() { g_pCmApi = &m_api; }

BoundApi::~BoundApi() { g_pCmApi = nullptr; }
