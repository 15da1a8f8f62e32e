// Construction and destruction of the binding, and its entry-point
// operations: each takes the lock, binds on first use and calls, or answers
// the entry point's missing result.
#include "cfgmgr/cm_api.h"

#include <new>

#include "cfgmgr/ole_exception.h"

namespace {
// The HRESULT that carries a platform error code (facility 7, failure bit).
HRESULT HResultFromError(DWORD error) {
  return error == 0 ? S_OK : static_cast<HRESULT>((error & 0xFFFF) | 0x80070000u);
}
}  // namespace

CCmApi::CCmApi() {
  if (!InitializeCriticalSectionAndSpinCount(&m_cs, 0)) {
    HRESULT hr = HResultFromError(GetLastError());
    if (hr == E_OUTOFMEMORY) throw std::bad_alloc();
    throw COleException(hr);
  }
  m_hCfgMgr32 = LoadLibraryA("CFGMGR32.DLL");
  m_hSetupApi = LoadLibraryA("SETUPAPI.DLL");
  m_hNewDev = LoadLibraryA("NEWDEV.DLL");
}

CCmApi::~CCmApi() {
  for (HMODULE* phLib : {&m_hCfgMgr32, &m_hSetupApi, &m_hNewDev}) {
    if (*phLib != nullptr) FreeLibrary(*phLib);
    *phLib = nullptr;
  }
  DeleteCriticalSection(&m_cs);
}

WORD CCmApi::CM_Get_Version() {
  return Call(m_hCfgMgr32, m_epGetVersion, "CM_Get_Version", WORD{0});
}

void CCmApi::CM_Get_Global_State(PULONG pulState, ULONG ulFlags) {
  CallIfBound(m_hCfgMgr32, m_epGetGlobalState, "CM_Get_Global_State", pulState, ulFlags);
}

void CCmApi::CM_Locate_DevNodeA(PDEVINST pdnDevInst, DEVINSTID_A pDeviceID, ULONG ulFlags) {
  CallIfBound(m_hCfgMgr32, m_epLocateDevNode, "CM_Locate_DevNodeA", pdnDevInst, pDeviceID,
              ulFlags);
}

CONFIGRET CCmApi::CM_Get_Parent(PDEVINST pdnDevInst, DEVINST dnDevInst, ULONG ulFlags) {
  return Call(m_hCfgMgr32, m_epGetParent, "CM_Get_Parent", CONFIGRET{CR_CALL_NOT_IMPLEMENTED},
              pdnDevInst, dnDevInst, ulFlags);
}

CONFIGRET CCmApi::CM_Get_Sibling(PDEVINST pdnDevInst, DEVINST dnDevInst, ULONG ulFlags) {
  return Call(m_hCfgMgr32, m_epGetSibling, "CM_Get_Sibling", CONFIGRET{CR_CALL_NOT_IMPLEMENTED},
              pdnDevInst, dnDevInst, ulFlags);
}

CONFIGRET CCmApi::CM_Get_Child(PDEVINST pdnDevInst, DEVINST dnDevInst, ULONG ulFlags) {
  return Call(m_hCfgMgr32, m_epGetChild, "CM_Get_Child", CONFIGRET{CR_CALL_NOT_IMPLEMENTED},
              pdnDevInst, dnDevInst, ulFlags);
}

CONFIGRET CCmApi::CM_Get_DevNode_Registry_PropertyA(DEVINST dnDevInst, ULONG ulProperty,
                                                    PULONG pulRegDataType, PVOID Buffer,
                                                    PULONG pulLength, ULONG ulFlags) {
  return Call(m_hCfgMgr32, m_epGetDevNodeRegistryProperty, "CM_Get_DevNode_Registry_PropertyA",
              CONFIGRET{CR_CALL_NOT_IMPLEMENTED}, dnDevInst, ulProperty, pulRegDataType, Buffer,
              pulLength, ulFlags);
}

CONFIGRET CCmApi::CM_Get_Device_IDA(DEVINST dnDevInst, PCHAR Buffer, ULONG BufferLen,
                                    ULONG ulFlags) {
  return Call(m_hCfgMgr32, m_epGetDeviceId, "CM_Get_Device_IDA",
              CONFIGRET{CR_CALL_NOT_IMPLEMENTED}, dnDevInst, Buffer, BufferLen, ulFlags);
}

CONFIGRET CCmApi::CM_Get_DevNode_Status(PULONG pulStatus, PULONG pulProblemNumber,
                                        DEVINST dnDevInst, ULONG ulFlags) {
  return Call(m_hCfgMgr32, m_epGetDevNodeStatus, "CM_Get_DevNode_Status",
              CONFIGRET{CR_CALL_NOT_IMPLEMENTED}, pulStatus, pulProblemNumber, dnDevInst, ulFlags);
}

void CCmApi::CM_Get_First_Log_Conf(PLOG_CONF plcLogConf, DEVINST dnDevInst, ULONG ulFlags) {
  CallIfBound(m_hCfgMgr32, m_epGetFirstLogConf, "CM_Get_First_Log_Conf", plcLogConf, dnDevInst,
              ulFlags);
}

void CCmApi::CM_Get_Next_Log_Conf(PLOG_CONF plcLogConf, LOG_CONF lcLogConf, ULONG ulFlags) {
  CallIfBound(m_hCfgMgr32, m_epGetNextLogConf, "CM_Get_Next_Log_Conf", plcLogConf, lcLogConf,
              ulFlags);
}

void CCmApi::CM_Free_Log_Conf_Handle(LOG_CONF lcLogConf) {
  CallIfBound(m_hCfgMgr32, m_epFreeLogConfHandle, "CM_Free_Log_Conf_Handle", lcLogConf);
}

void CCmApi::CM_Get_Log_Conf_Priority(LOG_CONF lcLogConf, PPRIORITY pPriority, ULONG ulFlags) {
  CallIfBound(m_hCfgMgr32, m_epGetLogConfPriority, "CM_Get_Log_Conf_Priority", lcLogConf,
              pPriority, ulFlags);
}

void CCmApi::CM_Get_Next_Res_Des(PRES_DES prdResDes, RES_DES rdResDes, RESOURCEID ForResource,
                                 PRESOURCEID pResourceID, ULONG ulFlags) {
  CallIfBound(m_hCfgMgr32, m_epGetNextResDes, "CM_Get_Next_Res_Des", prdResDes, rdResDes,
              ForResource, pResourceID, ulFlags);
}

CONFIGRET CCmApi::CM_Free_Res_Des_Handle(RES_DES rdResDes) {
  return Call(m_hCfgMgr32, m_epFreeResDesHandle, "CM_Free_Res_Des_Handle",
              CONFIGRET{CR_CALL_NOT_IMPLEMENTED}, rdResDes);
}

void CCmApi::CM_Get_Res_Des_Data_Size(PULONG pulSize, RES_DES rdResDes, ULONG ulFlags) {
  CallIfBound(m_hCfgMgr32, m_epGetResDesDataSize, "CM_Get_Res_Des_Data_Size", pulSize, rdResDes,
              ulFlags);
}

CONFIGRET CCmApi::CM_Get_Res_Des_Data(RES_DES rdResDes, PVOID Buffer, ULONG BufferLen,
                                      ULONG ulFlags) {
  return Call(m_hCfgMgr32, m_epGetResDesData, "CM_Get_Res_Des_Data",
              CONFIGRET{CR_CALL_NOT_IMPLEMENTED}, rdResDes, Buffer, BufferLen, ulFlags);
}

CONFIGRET CCmApi::CM_Get_Class_Registry_PropertyA(LPGUID ClassGuid, ULONG ulProperty,
                                                  PULONG pulRegDataType, PVOID Buffer,
                                                  PULONG pulLength, ULONG ulFlags,
                                                  HMACHINE hMachine) {
  return Call(m_hCfgMgr32, m_epGetClassRegistryProperty, "CM_Get_Class_Registry_PropertyA",
              CONFIGRET{CR_CALL_NOT_IMPLEMENTED}, ClassGuid, ulProperty, pulRegDataType, Buffer,
              pulLength, ulFlags, hMachine);
}

CONFIGRET CCmApi::CM_Get_Class_NameA(LPGUID ClassGuid, PCHAR Buffer, PULONG pulLength,
                                     ULONG ulFlags) {
  return Call(m_hCfgMgr32, m_epGetClassName, "CM_Get_Class_NameA",
              CONFIGRET{CR_CALL_NOT_IMPLEMENTED}, ClassGuid, Buffer, pulLength, ulFlags);
}

HDEVINFO CCmApi::SetupDiCreateDeviceInfoList(const GUID* ClassGuid, HWND hwndParent) {
  return Call(m_hSetupApi, m_epCreateDeviceInfoList, "SetupDiCreateDeviceInfoList",
              HDEVINFO{INVALID_HANDLE_VALUE}, ClassGuid, hwndParent);
}

BOOL CCmApi::SetupDiOpenDeviceInfoA(HDEVINFO DeviceInfoSet, PCSTR DeviceInstanceId,
                                    HWND hwndParent, DWORD OpenFlags,
                                    PSP_DEVINFO_DATA DeviceInfoData) {
  return Call(m_hSetupApi, m_epOpenDeviceInfo, "SetupDiOpenDeviceInfoA", BOOL{FALSE},
              DeviceInfoSet, DeviceInstanceId, hwndParent, OpenFlags, DeviceInfoData);
}

BOOL CCmApi::SetupDiSetDeviceInstallParamsA(HDEVINFO DeviceInfoSet,
                                            PSP_DEVINFO_DATA DeviceInfoData,
                                            PSP_DEVINSTALL_PARAMS_A DeviceInstallParams) {
  return Call(m_hSetupApi, m_epSetDeviceInstallParams, "SetupDiSetDeviceInstallParamsA",
              BOOL{FALSE}, DeviceInfoSet, DeviceInfoData, DeviceInstallParams);
}

BOOL CCmApi::SetupDiBuildDriverInfoList(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                        DWORD DriverType) {
  return Call(m_hSetupApi, m_epBuildDriverInfoList, "SetupDiBuildDriverInfoList", BOOL{FALSE},
              DeviceInfoSet, DeviceInfoData, DriverType);
}

BOOL CCmApi::SetupDiSetSelectedDriverA(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                       PSP_DRVINFO_DATA_V1_A DriverInfoData) {
  // The library takes either structure version and tells them apart by cbSize.
  return Call(m_hSetupApi, m_epSetSelectedDriver, "SetupDiSetSelectedDriverA", BOOL{FALSE},
              DeviceInfoSet, DeviceInfoData, reinterpret_cast<PSP_DRVINFO_DATA_A>(DriverInfoData));
}

HSPFILEQ CCmApi::SetupOpenFileQueue() {
  return Call(m_hSetupApi, m_epOpenFileQueue, "SetupOpenFileQueue", HSPFILEQ{nullptr});
}

BOOL CCmApi::SetupDiCallClassInstaller(DI_FUNCTION InstallFunction, HDEVINFO DeviceInfoSet,
                                       PSP_DEVINFO_DATA DeviceInfoData) {
  return Call(m_hSetupApi, m_epCallClassInstaller, "SetupDiCallClassInstaller", BOOL{FALSE},
              InstallFunction, DeviceInfoSet, DeviceInfoData);
}

BOOL CCmApi::SetupScanFileQueueA(HSPFILEQ FileQueue, DWORD Flags, HWND Window,
                                 PSP_FILE_CALLBACK_A CallbackRoutine, PVOID CallbackContext,
                                 PDWORD Result) {
  return Call(m_hSetupApi, m_epScanFileQueue, "SetupScanFileQueueA", BOOL{FALSE}, FileQueue,
              Flags, Window, CallbackRoutine, CallbackContext, Result);
}

void CCmApi::SetupCloseFileQueue(HSPFILEQ QueueHandle) {
  CallIfBound(m_hSetupApi, m_epCloseFileQueue, "SetupCloseFileQueue", QueueHandle);
}

void CCmApi::SetupDiDestroyDeviceInfoList(HDEVINFO DeviceInfoSet) {
  CallIfBound(m_hSetupApi, m_epDestroyDeviceInfoList, "SetupDiDestroyDeviceInfoList",
              DeviceInfoSet);
}
