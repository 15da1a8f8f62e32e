/// CCmApi: the program's one gateway to the device-configuration library
/// "CFGMGR32.DLL" and the setup library "SETUPAPI.DLL" (and "NEWDEV.DLL",
/// loaded and released only). The libraries are loaded by name when the
/// object is made; each entry point is looked up by name on its first use and
/// the pointer kept; a lookup that finds nothing is tried again next time.
/// Every call, lookup included, runs under one lock that is never held across
/// two calls, so the binding may be used from several threads.
///
/// A missing library or entry point gives that operation's missing result, and
/// so does, from its first call on, an entry point that the platform exports
/// only as an unimplemented stub (stub_guard.h):
/// CR_CALL_NOT_IMPLEMENTED for result codes, 0 for CM_Get_Version, FALSE for
/// the setup operations, INVALID_HANDLE_VALUE for SetupDiCreateDeviceInfoList,
/// 0 for SetupOpenFileQueue; the operations that return nothing then leave
/// their out-values untouched, so callers preset what they read.
///
/// Besides the entry points it offers the stepping operations of the device,
/// configuration and descriptor walks, the device-node readers
/// (device_readers.cpp) and the driver file list (driver_files.cpp).
#pragma once

#include <cstddef>
#include <string>

#include "cfgmgr/stub_guard.h"
#include "win32_api.h"

/// A 260-byte text buffer, the size of every path, value and property text read.
using PathBuffer = char[MAX_PATH];

/// Size in bytes of a driver file list, NUL included.
inline constexpr size_t kDriverFileListSize = 5120;

/// Where a walk stands: the handle it started from and the one it stands on,
/// and the resource-type filter of a descriptor walk (ResType_All: every type).
/// Handles are pointer-sized so that configuration and descriptor handles of a
/// 64-bit build survive the walk; on the 32-bit product they are 32 bits.
struct CmCursor {
  DWORD_PTR hFirst = 0;
  DWORD_PTR hCurrent = 0;
  RESOURCEID resType = ResType_All;
};

class CCmApi {
 public:
  /// Loads the three libraries (a library that does not load stays null).
  /// Throws std::bad_alloc or COleException when the lock cannot be set up.
  CCmApi();
  /// Frees each loaded library.
  virtual ~CCmApi();
  CCmApi(const CCmApi&) = delete;
  CCmApi& operator=(const CCmApi&) = delete;

  // Entry points of "CFGMGR32.DLL", with the platform's names and parameters.
  WORD CM_Get_Version();
  void CM_Get_Global_State(PULONG pulState, ULONG ulFlags);
  void CM_Locate_DevNodeA(PDEVINST pdnDevInst, DEVINSTID_A pDeviceID, ULONG ulFlags);
  CONFIGRET CM_Get_Parent(PDEVINST pdnDevInst, DEVINST dnDevInst, ULONG ulFlags);
  CONFIGRET CM_Get_Sibling(PDEVINST pdnDevInst, DEVINST dnDevInst, ULONG ulFlags);
  CONFIGRET CM_Get_Child(PDEVINST pdnDevInst, DEVINST dnDevInst, ULONG ulFlags);
  CONFIGRET CM_Get_DevNode_Registry_PropertyA(DEVINST dnDevInst, ULONG ulProperty,
                                              PULONG pulRegDataType, PVOID Buffer,
                                              PULONG pulLength, ULONG ulFlags);
  CONFIGRET CM_Get_Device_IDA(DEVINST dnDevInst, PCHAR Buffer, ULONG BufferLen, ULONG ulFlags);
  CONFIGRET CM_Get_DevNode_Status(PULONG pulStatus, PULONG pulProblemNumber, DEVINST dnDevInst,
                                  ULONG ulFlags);
  void CM_Get_First_Log_Conf(PLOG_CONF plcLogConf, DEVINST dnDevInst, ULONG ulFlags);
  void CM_Get_Next_Log_Conf(PLOG_CONF plcLogConf, LOG_CONF lcLogConf, ULONG ulFlags);
  void CM_Free_Log_Conf_Handle(LOG_CONF lcLogConf);
  void CM_Get_Log_Conf_Priority(LOG_CONF lcLogConf, PPRIORITY pPriority, ULONG ulFlags);
  void CM_Get_Next_Res_Des(PRES_DES prdResDes, RES_DES rdResDes, RESOURCEID ForResource,
                           PRESOURCEID pResourceID, ULONG ulFlags);
  CONFIGRET CM_Free_Res_Des_Handle(RES_DES rdResDes);
  void CM_Get_Res_Des_Data_Size(PULONG pulSize, RES_DES rdResDes, ULONG ulFlags);
  CONFIGRET CM_Get_Res_Des_Data(RES_DES rdResDes, PVOID Buffer, ULONG BufferLen, ULONG ulFlags);
  CONFIGRET CM_Get_Class_Registry_PropertyA(LPGUID ClassGuid, ULONG ulProperty,
                                            PULONG pulRegDataType, PVOID Buffer,
                                            PULONG pulLength, ULONG ulFlags, HMACHINE hMachine);
  CONFIGRET CM_Get_Class_NameA(LPGUID ClassGuid, PCHAR Buffer, PULONG pulLength, ULONG ulFlags);

  // Entry points of "SETUPAPI.DLL".
  HDEVINFO SetupDiCreateDeviceInfoList(const GUID* ClassGuid, HWND hwndParent);
  BOOL SetupDiOpenDeviceInfoA(HDEVINFO DeviceInfoSet, PCSTR DeviceInstanceId, HWND hwndParent,
                              DWORD OpenFlags, PSP_DEVINFO_DATA DeviceInfoData);
  BOOL SetupDiSetDeviceInstallParamsA(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                      PSP_DEVINSTALL_PARAMS_A DeviceInstallParams);
  BOOL SetupDiBuildDriverInfoList(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                  DWORD DriverType);
  BOOL SetupDiSetSelectedDriverA(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                 PSP_DRVINFO_DATA_V1_A DriverInfoData);
  HSPFILEQ SetupOpenFileQueue();
  BOOL SetupDiCallClassInstaller(DI_FUNCTION InstallFunction, HDEVINFO DeviceInfoSet,
                                 PSP_DEVINFO_DATA DeviceInfoData);
  BOOL SetupScanFileQueueA(HSPFILEQ FileQueue, DWORD Flags, HWND Window,
                           PSP_FILE_CALLBACK_A CallbackRoutine, PVOID CallbackContext,
                           PDWORD Result);
  void SetupCloseFileQueue(HSPFILEQ QueueHandle);
  void SetupDiDestroyDeviceInfoList(HDEVINFO DeviceInfoSet);

  // Stepping operations; each entry-point call inside takes the lock alone.

  /// Locates the root node into hCurrent and hFirst and returns it (0: none).
  DEVINST FirstDevNode(CmCursor& cursor);
  /// The node after `dnNode` in a pre-order walk that never climbs above
  /// `dnStop`: its first child when `bDescend` is set, else its next sibling,
  /// else the next of its parent without descending; 0 at the end.
  DEVINST NextDevNode(DEVINST dnNode, DEVINST dnStop, BOOL bDescend);
  /// Steps to the configuration after hCurrent, releasing hCurrent; 0 at the end.
  LOG_CONF NextLogConf(CmCursor& cursor);
  /// Steps to the descriptor after hCurrent (of type resType), writing its
  /// type to *pResType; releases hCurrent unless it is hFirst, so a walk
  /// started on a configuration never releases the configuration. 0 at the end.
  RES_DES NextResDes(CmCursor& cursor, PRESOURCEID pResType);

  // Device-node readers (device_readers.cpp). None reports an error; a value
  // that does not fit its buffer with its NUL is a failed read.

  /// A REG_SZ property.
  BOOL GetDevNodeString(DEVINST dnDevInst, ULONG ulProperty, PathBuffer& szValue);
  /// A 4-byte property of type REG_DWORD or REG_BINARY.
  BOOL GetDevNodeDword(DEVINST dnDevInst, ULONG ulProperty, ULONG* pulValue);
  /// The setup class GUID, read as text and parsed.
  BOOL GetDevNodeClassGuid(DEVINST dnDevInst, GUID* pGuid);
  /// The name of the node's setup class.
  BOOL GetDevNodeClassName(DEVINST dnDevInst, PathBuffer& szName);
  /// The device instance ID (at most 199 characters); on failure strId keeps its text.
  BOOL GetDeviceId(DEVINST dnDevInst, std::string& strId);
  /// The status flags, and the problem number into *pulProblem when given;
  /// both 0 when the query fails.
  ULONG GetDevNodeStatus(DEVINST dnDevInst, ULONG* pulProblem);
  /// "System\CurrentControlSet\Enum\<device instance ID>".
  BOOL GetEnumKeyPath(DEVINST dnDevInst, PathBuffer& szPath);
  /// "System\CurrentControlSet\Control\Class\<driver key name>".
  BOOL GetDriverKeyPath(DEVINST dnDevInst, PathBuffer& szPath);
  /// "InfPath" of the driver key, and when given "InfSection" and
  /// "InfSectionExt" (empty when absent). TRUE when "InfPath" was read.
  BOOL GetInfInfo(DEVINST dnDevInst, PathBuffer& szInfPath, PathBuffer* pszSection,
                  PathBuffer* pszSectionExt);
  /// The full path of the image file of the node's service, in `cbPath` bytes.
  BOOL GetServiceImagePath(DEVINST dnDevInst, char* pszPath, size_t cbPath);
  /// "DeviceReference" of the Enum key's "Control" subkey; 0 when absent or not REG_DWORD.
  ULONG GetDeviceReference(DEVINST dnDevInst);

  // Driver file list (driver_files.cpp).

  /// The service image path followed by the driver package's files, one per
  /// line, into kDriverFileListSize bytes at pszList. TRUE when not empty.
  BOOL GetDriverFileList(DEVINST dnDevInst, char* pszList);
  /// The files the installed driver package would copy, learnt from a file
  /// queue that is scanned and thrown away. TRUE when the scan succeeded and
  /// the list is not empty.
  BOOL GetDriverFiles(DEVINST dnDevInst, char* pszOut, size_t cbOut);

  HMODULE m_hCfgMgr32 = nullptr;
  HMODULE m_hSetupApi = nullptr;
  HMODULE m_hNewDev = nullptr;

 private:
  // One entry point: its pointer, null until a lookup finds it, and whether
  // it turned out to be an unimplemented stub, which is not called again.
  template <class Fn>
  struct EntryPoint {
    Fn pfn = nullptr;
    bool bStub = false;
  };

  // Looks the entry point up on first use (never in a library that did not
  // load), then calls it; `missing` when there is none or it is a stub.
  template <class Fn, class R, class... Args>
  R Call(HMODULE hLib, EntryPoint<Fn>& ep, const char* name, R missing, Args... args) {
    Lock lock(&m_cs);
    if (!Bind(hLib, ep, name)) return missing;
    R result = missing;
    auto call = [&] { result = static_cast<R>(ep.pfn(args...)); };
    if (CallEntryPoint(&Invoke<decltype(call)>, &call)) return result;
    ep.bStub = true;
    return missing;
  }
  // The same for the entry points whose callers read only the out-values.
  template <class Fn, class... Args>
  void CallIfBound(HMODULE hLib, EntryPoint<Fn>& ep, const char* name, Args... args) {
    Lock lock(&m_cs);
    if (!Bind(hLib, ep, name)) return;
    auto call = [&] { ep.pfn(args...); };
    if (!CallEntryPoint(&Invoke<decltype(call)>, &call)) ep.bStub = true;
  }
  template <class F>
  static void Invoke(void* pCall) {
    (*static_cast<F*>(pCall))();
  }
  template <class Fn>
  static bool Bind(HMODULE hLib, EntryPoint<Fn>& ep, const char* name) {
    if (ep.bStub) return false;
    if (ep.pfn == nullptr && hLib != nullptr) {
      ep.pfn = reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(hLib, name)));
    }
    return ep.pfn != nullptr;
  }

  // A text property into `cbBuffer` bytes (type preset REG_SZ); TRUE when it
  // was read as REG_SZ and fits with its NUL, else an empty text.
  BOOL ReadPropertyText(DEVINST dnDevInst, ULONG ulProperty, char* pszBuffer, ULONG cbBuffer);
  // The device instance ID with its NUL, which must fit in the buffer.
  BOOL ReadDeviceId(DEVINST dnDevInst, char (&szId)[MAX_DEVICE_ID_LEN]);

  struct Lock {
    explicit Lock(LPCRITICAL_SECTION cs) : m_pcs(cs) { EnterCriticalSection(m_pcs); }
    ~Lock() { LeaveCriticalSection(m_pcs); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
    LPCRITICAL_SECTION m_pcs;
  };

  CRITICAL_SECTION m_cs;

  // One cached entry point each, of the platform's own function type.
  EntryPoint<decltype(&::CM_Get_Version)> m_epGetVersion;
  EntryPoint<decltype(&::CM_Get_Global_State)> m_epGetGlobalState;
  EntryPoint<decltype(&::CM_Locate_DevNodeA)> m_epLocateDevNode;
  EntryPoint<decltype(&::CM_Get_Parent)> m_epGetParent;
  EntryPoint<decltype(&::CM_Get_Sibling)> m_epGetSibling;
  EntryPoint<decltype(&::CM_Get_Child)> m_epGetChild;
  EntryPoint<decltype(&::CM_Get_DevNode_Registry_PropertyA)> m_epGetDevNodeRegistryProperty;
  EntryPoint<decltype(&::CM_Get_Device_IDA)> m_epGetDeviceId;
  EntryPoint<decltype(&::CM_Get_DevNode_Status)> m_epGetDevNodeStatus;
  EntryPoint<decltype(&::CM_Get_First_Log_Conf)> m_epGetFirstLogConf;
  EntryPoint<decltype(&::CM_Get_Next_Log_Conf)> m_epGetNextLogConf;
  EntryPoint<decltype(&::CM_Free_Log_Conf_Handle)> m_epFreeLogConfHandle;
  EntryPoint<decltype(&::CM_Get_Log_Conf_Priority)> m_epGetLogConfPriority;
  EntryPoint<decltype(&::CM_Get_Next_Res_Des)> m_epGetNextResDes;
  EntryPoint<decltype(&::CM_Free_Res_Des_Handle)> m_epFreeResDesHandle;
  EntryPoint<decltype(&::CM_Get_Res_Des_Data_Size)> m_epGetResDesDataSize;
  EntryPoint<decltype(&::CM_Get_Res_Des_Data)> m_epGetResDesData;
  EntryPoint<decltype(&::CM_Get_Class_Registry_PropertyA)> m_epGetClassRegistryProperty;
  EntryPoint<decltype(&::CM_Get_Class_NameA)> m_epGetClassName;
  EntryPoint<decltype(&::SetupDiCreateDeviceInfoList)> m_epCreateDeviceInfoList;
  EntryPoint<decltype(&::SetupDiOpenDeviceInfoA)> m_epOpenDeviceInfo;
  EntryPoint<decltype(&::SetupDiSetDeviceInstallParamsA)> m_epSetDeviceInstallParams;
  EntryPoint<decltype(&::SetupDiBuildDriverInfoList)> m_epBuildDriverInfoList;
  EntryPoint<decltype(&::SetupDiSetSelectedDriverA)> m_epSetSelectedDriver;
  EntryPoint<decltype(&::SetupOpenFileQueue)> m_epOpenFileQueue;
  EntryPoint<decltype(&::SetupDiCallClassInstaller)> m_epCallClassInstaller;
  EntryPoint<decltype(&::SetupScanFileQueueA)> m_epScanFileQueue;
  EntryPoint<decltype(&::SetupCloseFileQueue)> m_epCloseFileQueue;
  EntryPoint<decltype(&::SetupDiDestroyDeviceInfoList)> m_epDestroyDeviceInfoList;
};
