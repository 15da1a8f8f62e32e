// The table of system library entry points implemented by the platform layer.
#include "platform/posix/src/system_exports.h"

#include <array>

#include "platform/machine/text_case.h"
#include "win32_api.h"

namespace tov::posix {
namespace {

struct SystemExport {
  const char* library;
  const char* name;
  FARPROC proc;
};

// Entry points have many signatures; GetProcAddress hands each out as a
// FARPROC that the caller casts back. The detour through void (*)() says the
// conversion is meant.
template <class Fn>
FARPROC Proc(Fn* fn) {
  return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(fn));
}

#define TOV_CFGMGR32(fn) SystemExport{"CFGMGR32.DLL", #fn, Proc(&fn)}
#define TOV_SETUPAPI(fn) SystemExport{"SETUPAPI.DLL", #fn, Proc(&fn)}

// Entries are added by the layers that implement a system library.
const std::array kExports{
    TOV_CFGMGR32(CM_Get_Version),
    TOV_CFGMGR32(CM_Get_Global_State),
    TOV_CFGMGR32(CM_Locate_DevNodeA),
    TOV_CFGMGR32(CM_Get_Parent),
    TOV_CFGMGR32(CM_Get_Sibling),
    TOV_CFGMGR32(CM_Get_Child),
    TOV_CFGMGR32(CM_Get_DevNode_Registry_PropertyA),
    TOV_CFGMGR32(CM_Get_Device_IDA),
    TOV_CFGMGR32(CM_Get_DevNode_Status),
    TOV_CFGMGR32(CM_Get_First_Log_Conf),
    TOV_CFGMGR32(CM_Get_Next_Log_Conf),
    TOV_CFGMGR32(CM_Free_Log_Conf_Handle),
    TOV_CFGMGR32(CM_Get_Log_Conf_Priority),
    TOV_CFGMGR32(CM_Get_Next_Res_Des),
    TOV_CFGMGR32(CM_Free_Res_Des_Handle),
    TOV_CFGMGR32(CM_Get_Res_Des_Data_Size),
    TOV_CFGMGR32(CM_Get_Res_Des_Data),
    TOV_CFGMGR32(CM_Get_Class_Registry_PropertyA),
    TOV_CFGMGR32(CM_Get_Class_NameA),
    TOV_SETUPAPI(SetupDiCreateDeviceInfoList),
    TOV_SETUPAPI(SetupDiOpenDeviceInfoA),
    TOV_SETUPAPI(SetupDiSetDeviceInstallParamsA),
    TOV_SETUPAPI(SetupDiBuildDriverInfoList),
    TOV_SETUPAPI(SetupDiSetSelectedDriverA),
    TOV_SETUPAPI(SetupOpenFileQueue),
    TOV_SETUPAPI(SetupDiCallClassInstaller),
    TOV_SETUPAPI(SetupScanFileQueueA),
    TOV_SETUPAPI(SetupCloseFileQueue),
    TOV_SETUPAPI(SetupDiDestroyDeviceInfoList),
};

#undef TOV_CFGMGR32
#undef TOV_SETUPAPI

}  // namespace

void AddSystemLibraries(machine::Machine& machine) {
  // NEWDEV.DLL is loaded by the program but none of its entry points is called.
  machine.Library("NEWDEV.DLL");
  for (const SystemExport& e : kExports) machine.Library(e.library).Export(e.name);
}

FARPROC FindSystemExport(std::string_view library, std::string_view name) {
  for (const SystemExport& e : kExports) {
    if (name == e.name && machine::EqualsIgnoreCase(library, e.library)) {
      return e.proc;
    }
  }
  return nullptr;
}

}  // namespace tov::posix
