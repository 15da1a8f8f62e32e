// The driver file list of a device: its service image file, then the files
// its installed driver package would copy. Those are learnt by letting the
// class installer queue its copies into a private file queue, reading the
// target paths out of the queue and throwing it away uncommitted.
#include <memory>

#include "cfgmgr/cm_api.h"
#include "cfgmgr/driver_file_list.h"
#include "cfgmgr/registry_readers.h"

// Sizes of the 32-bit product's structures, as the setup library checks them.
static_assert(sizeof(void*) != 4 || sizeof(SP_DEVINFO_DATA) == 28, "SP_DEVINFO_DATA layout");
static_assert(sizeof(void*) != 4 || sizeof(SP_DEVINSTALL_PARAMS_A) == 296,
              "SP_DEVINSTALL_PARAMS_A layout");
static_assert(sizeof(void*) != 4 || sizeof(SP_DRVINFO_DATA_V1_A) == 780,
              "SP_DRVINFO_DATA_V1_A layout");

namespace {

// Room for the driver package's files merged after a service image path.
constexpr size_t kMergedFilesSize = 1024;

struct DeviceInfoSetCloser {
  CCmApi* pApi;
  void operator()(HDEVINFO hSet) const { pApi->SetupDiDestroyDeviceInfoList(hSet); }
};
struct FileQueueCloser {
  CCmApi* pApi;
  void operator()(HSPFILEQ hQueue) const { pApi->SetupCloseFileQueue(hQueue); }
};
using ScopedDeviceInfoSet = std::unique_ptr<void, DeviceInfoSetCloser>;
using ScopedFileQueue = std::unique_ptr<void, FileQueueCloser>;

// Neither a null handle nor INVALID_HANDLE_VALUE is a set or a queue.
bool IsHandle(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }

}  // namespace

BOOL CCmApi::GetDriverFiles(DEVINST dnDevInst, char* pszOut, size_t cbOut) {
  if (pszOut == nullptr || cbOut == 0) return FALSE;
  pszOut[0] = '\0';

  // Declared before the queue, so the queue is closed first.
  HDEVINFO hSet = SetupDiCreateDeviceInfoList(nullptr, nullptr);
  if (!IsHandle(hSet)) return FALSE;
  ScopedDeviceInfoSet set(hSet, DeviceInfoSetCloser{this});

  char szId[MAX_DEVICE_ID_LEN];
  if (!ReadDeviceId(dnDevInst, szId)) return FALSE;
  SP_DEVINFO_DATA devInfo{};
  devInfo.cbSize = sizeof devInfo;
  if (!SetupDiOpenDeviceInfoA(hSet, szId, nullptr, 0, &devInfo)) return FALSE;

  // A driver list of the device's own INF file only, excluded drivers included.
  SP_DEVINSTALL_PARAMS_A params{};
  params.cbSize = sizeof params;
  params.Flags = DI_ENUMSINGLEINF;
  params.FlagsEx = DI_FLAGSEX_ALLOWEXCLUDEDDRVS;
  if (!GetInfInfo(dnDevInst, params.DriverPath, nullptr, nullptr)) return FALSE;
  if (!SetupDiSetDeviceInstallParamsA(hSet, &devInfo, &params)) return FALSE;
  if (!SetupDiBuildDriverInfoList(hSet, &devInfo, SPDIT_CLASSDRIVER)) return FALSE;

  // The installed driver, as the list entry to select: its description,
  // manufacturer and provider.
  SP_DRVINFO_DATA_V1_A driver{};
  driver.cbSize = sizeof driver;
  driver.DriverType = SPDIT_CLASSDRIVER;
  ReadPropertyText(dnDevInst, CM_DRP_DEVICEDESC, driver.Description, LINE_LEN);
  driver.Description[LINE_LEN - 1] = '\0';
  ReadPropertyText(dnDevInst, CM_DRP_MFG, driver.MfgName, LINE_LEN);
  driver.MfgName[LINE_LEN - 1] = '\0';
  PathBuffer szDriverKey;
  if (GetDriverKeyPath(dnDevInst, szDriverKey)) {
    if (ScopedRegKey key = OpenKeyForRead(HKEY_LOCAL_MACHINE, szDriverKey)) {
      RegReadString(key.get(), "ProviderName", driver.ProviderName, LINE_LEN);
    }
  }
  if (!SetupDiSetSelectedDriverA(hSet, &devInfo, &driver)) return FALSE;

  HSPFILEQ hQueue = SetupOpenFileQueue();
  if (!IsHandle(hQueue)) return FALSE;
  ScopedFileQueue queue(hQueue, FileQueueCloser{this});

  // DI_NOVCP: the class installer queues its copies instead of making them.
  params.Flags |= DI_NOVCP;
  params.FlagsEx |= DI_FLAGSEX_NO_DRVREG_MODIFY;
  params.FileQueue = hQueue;
  BOOL bQueued = FALSE;
  if (SetupDiSetDeviceInstallParamsA(hSet, &devInfo, &params)) {
    bQueued = SetupDiCallClassInstaller(DIF_INSTALLDEVICEFILES, hSet, &devInfo);
  }
  params.FileQueue = nullptr;
  SetupDiSetDeviceInstallParamsA(hSet, &devInfo, &params);
  if (!bQueued) return FALSE;

  DriverFileScanContext context{pszOut, cbOut, 0};
  DWORD dwResult = 0;
  if (!SetupScanFileQueueA(hQueue, SPQ_SCAN_USE_CALLBACK, nullptr, DriverFileScanCallback,
                           &context, &dwResult)) {
    pszOut[0] = '\0';  // a scan that broke off is no list
    return FALSE;
  }
  return pszOut[0] != '\0';
}

BOOL CCmApi::GetDriverFileList(DEVINST dnDevInst, char* pszList) {
  pszList[0] = '\0';
  if (!GetServiceImagePath(dnDevInst, pszList, kDriverFileListSize)) {
    GetDriverFiles(dnDevInst, pszList, kDriverFileListSize);
    return pszList[0] != '\0';
  }
  char szFiles[kMergedFilesSize];
  if (GetDriverFiles(dnDevInst, szFiles, sizeof szFiles)) {
    MergeDriverFiles(pszList, kDriverFileListSize, szFiles);
  }
  return TRUE;
}
