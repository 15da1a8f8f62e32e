// CollectDevice, Refresh and CollectDriverFiles.
#include "devtree/device_collect.h"

#include <cstring>
#include <memory>
#include <new>

#include "cfgmgr/class_key_readers.h"
#include "cfgmgr/registry_readers.h"
#include "devtree/log_conf_collect.h"

namespace {

constexpr char kCoDeviceInstallersKey[] = "System\\CurrentControlSet\\Control\\CoDeviceInstallers";
// Configuration types in the order they are collected: assignments first.
constexpr ULONG kLogConfOrder[] = {ALLOC_LOG_CONF,    BOOT_LOG_CONF,   BASIC_LOG_CONF,
                                   FILTERED_LOG_CONF, FORCED_LOG_CONF, OVERRIDE_LOG_CONF};
// Tries to take a device's busy flag before the detail step gives up.
constexpr int kBusyTries = 3;

void TakeText(BOOL bRead, const PathBuffer& szValue, std::string& strField) {
  if (bRead) strField = szValue;
}

void ReadProperty(CCmApi& api, DEVINST dnDevInst, ULONG ulProperty, std::string& strField) {
  PathBuffer szValue;
  TakeText(api.GetDevNodeString(dnDevInst, ulProperty, szValue), szValue, strField);
}

void ReadDword(CCmApi& api, DEVINST dnDevInst, ULONG ulProperty, ULONG& ulField) {
  ULONG ulValue;
  if (api.GetDevNodeDword(dnDevInst, ulProperty, &ulValue)) ulField = ulValue;
}

// Each value opens its key afresh and closes it again.
void ReadKeyLines(const char* pszKeyPath, const char* pszName, std::string& strField) {
  ScopedRegKey key = OpenKeyForRead(HKEY_LOCAL_MACHINE, pszKeyPath);
  PathBuffer szLines;
  if (key) TakeText(RegReadMultiString(key.get(), pszName, szLines), szLines, strField);
}

void ReadKeyText(const char* pszKeyPath, const char* pszName, std::string& strField) {
  ScopedRegKey key = OpenKeyForRead(HKEY_LOCAL_MACHINE, pszKeyPath);
  PathBuffer szValue;
  if (key) TakeText(RegReadString(key.get(), pszName, szValue, MAX_PATH), szValue, strField);
}

void ReadEnumKeyLines(CCmApi& api, DEVINST dnDevInst, const char* pszName, std::string& strField) {
  PathBuffer szPath;
  if (api.GetEnumKeyPath(dnDevInst, szPath)) ReadKeyLines(szPath, pszName, strField);
}

void ReadDriverKeyLines(CCmApi& api, DEVINST dnDevInst, const char* pszName, std::string& strField) {
  PathBuffer szPath;
  if (api.GetDriverKeyPath(dnDevInst, szPath)) ReadKeyLines(szPath, pszName, strField);
}

void ReadDriverKeyText(CCmApi& api, DEVINST dnDevInst, const char* pszName, std::string& strField) {
  PathBuffer szPath;
  if (api.GetDriverKeyPath(dnDevInst, szPath)) ReadKeyText(szPath, pszName, strField);
}

void ReadClassKeyValues(CCmDevice& device) {
  const char* pszGuid = device.m_strClassGuid.c_str();
  PathBuffer szValue;
  TakeText(GetClassDescription(pszGuid, szValue), szValue, device.m_strClassDesc);
  ReadKeyLines(kCoDeviceInstallersKey, pszGuid, device.m_strClassCoInstallers);
  TakeText(GetClassEnumPropPages(pszGuid, szValue), szValue, device.m_strClassEnumPropPages);
  TakeText(GetClassInstaller(pszGuid, szValue), szValue, device.m_strClassInstaller);
  TakeText(GetClassTroubleShooter(pszGuid, szValue), szValue, device.m_strClassTroubleShooter);
  TakeText(GetClassLowerFilters(pszGuid, szValue), szValue, device.m_strClassLowerFilters);
  TakeText(GetClassUpperFilters(pszGuid, szValue), szValue, device.m_strClassUpperFilters);
}

}  // namespace

BOOL CollectDevice(CCmDevice& device, DEVINST dnDevInst, CCmApi& api) {
  device.m_dnDevInst = dnDevInst;
  device.m_pApi = &api;
  device.ClearDetails();

  api.CM_Get_Parent(&device.m_dnParent, dnDevInst, 0);
  api.CM_Get_Sibling(&device.m_dnSibling, dnDevInst, 0);
  api.CM_Get_Child(&device.m_dnChild, dnDevInst, 0);

  if (!api.GetDeviceId(dnDevInst, device.m_strDeviceId)) return FALSE;

  ReadProperty(api, dnDevInst, CM_DRP_DEVICEDESC, device.m_strDeviceDesc);
  ReadProperty(api, dnDevInst, CM_DRP_FRIENDLYNAME, device.m_strFriendlyName);
  ReadProperty(api, dnDevInst, CM_DRP_MFG, device.m_strMfg);
  ReadProperty(api, dnDevInst, CM_DRP_LOCATION_INFORMATION, device.m_strLocationInfo);
  ReadProperty(api, dnDevInst, CM_DRP_ENUMERATOR_NAME, device.m_strEnumeratorName);

  ReadDword(api, dnDevInst, CM_DRP_ADDRESS, device.m_ulAddress);
  ReadDword(api, dnDevInst, CM_DRP_UI_NUMBER, device.m_ulUINumber);
  ULONG ulCharacteristics;
  GUID guidClass;
  if (api.GetDevNodeDword(dnDevInst, CM_DRP_CHARACTERISTICS, &ulCharacteristics)) {
    device.m_ulCharacteristics = ulCharacteristics;
  } else if (api.GetDevNodeClassGuid(dnDevInst, &guidClass) &&
             GetClassCharacteristics(api, &guidClass, &ulCharacteristics)) {
    device.m_ulCharacteristics = ulCharacteristics;
  }
  ReadDword(api, dnDevInst, CM_DRP_CAPABILITIES, device.m_ulCapabilities);

  ReadEnumKeyLines(api, dnDevInst, "CompatibleIDs", device.m_strCompatibleIds);
  ReadEnumKeyLines(api, dnDevInst, "HardwareID", device.m_strHardwareIds);

  PathBuffer szInfPath, szSection, szSectionExt;
  if (api.GetInfInfo(dnDevInst, szInfPath, &szSection, &szSectionExt)) {
    device.m_strInfPath = szInfPath;
    device.m_strInfSection = std::string(szSection) + szSectionExt;
  }

  ReadDriverKeyLines(api, dnDevInst, "CoInstallers32", device.m_strCoInstallers);
  ReadDriverKeyText(api, dnDevInst, "EnumPropPages32", device.m_strEnumPropPages);
  ReadDriverKeyText(api, dnDevInst, "Installer32", device.m_strInstaller);
  ReadEnumKeyLines(api, dnDevInst, "LowerFilters", device.m_strLowerFilters);
  ReadEnumKeyLines(api, dnDevInst, "UpperFilters", device.m_strUpperFilters);
  ReadDriverKeyText(api, dnDevInst, "ProviderName", device.m_strProviderName);

  ReadProperty(api, dnDevInst, CM_DRP_CLASSGUID, device.m_strClassGuid);
  if (api.GetDevNodeClassGuid(dnDevInst, &guidClass)) device.m_guidClass = guidClass;
  PathBuffer szClassName;
  TakeText(api.GetDevNodeClassName(dnDevInst, szClassName), szClassName, device.m_strClassName);
  if (!device.m_strClassGuid.empty()) ReadClassKeyValues(device);

  ReadProperty(api, dnDevInst, CM_DRP_DRIVER, device.m_strDriverKey);
  ReadProperty(api, dnDevInst, CM_DRP_SERVICE, device.m_strService);
  ReadProperty(api, dnDevInst, CM_DRP_PHYSICAL_DEVICE_OBJECT_NAME, device.m_strPdoName);
  PathBuffer szServicePath;
  TakeText(api.GetServiceImagePath(dnDevInst, szServicePath, sizeof(szServicePath)), szServicePath,
           device.m_strServicePath);
  device.m_ulDeviceReference = api.GetDeviceReference(dnDevInst);
  device.m_ulStatus = api.GetDevNodeStatus(dnDevInst, &device.m_ulProblem);

  for (ULONG ulType : kLogConfOrder) CollectLogConfs(device, ulType);
  device.DerivePciAddress();
  return TRUE;
}

BOOL CCmDevice::Refresh(BOOL bRecursive) {
  if (m_pApi == nullptr || m_dnDevInst == 0) return FALSE;
  DWORD dnParent = m_dnParent;
  DWORD dnSibling = m_dnSibling;
  DWORD dnChild = m_dnChild;
  CollectDevice(*this, m_dnDevInst, *m_pApi);
  // A device that is gone has no status; one that moved has other neighbours.
  if (m_ulStatus == 0 || m_dnParent != dnParent || m_dnSibling != dnSibling || m_dnChild != dnChild) {
    return FALSE;
  }
  if (!bRecursive) return TRUE;
  for (CCmDevice* pChild = m_pFirstChild; pChild != nullptr; pChild = pChild->m_pNextSibling) {
    if (!pChild->Refresh(TRUE)) return FALSE;
  }
  return TRUE;
}

BOOL CollectDriverFiles(CCmDevice& device) {
  if (device.m_pApi == nullptr) return FALSE;
  bool bTaken = false;
  for (int nTry = 0; nTry < kBusyTries && !bTaken; ++nTry) {
    bTaken = InterlockedCompareExchange(&device.m_lBusy, TRUE, FALSE) == FALSE;
    if (!bTaken) Sleep(1);
  }
  if (!bTaken) return FALSE;

  BOOL bResult = FALSE;
  if (!device.m_lDetailsCollected) {
    std::unique_ptr<char[]> pszList(new (std::nothrow) char[kDriverFileListSize]);
    if (pszList && device.m_pApi->GetDriverFileList(device.m_dnDevInst, pszList.get())) {
      device.m_strDriverFiles.assign(pszList.get(), strnlen(pszList.get(), kDriverFileListSize));
    }
    // Also after a failure: the list is tried once per collection.
    InterlockedExchange(&device.m_lDetailsCollected, TRUE);
    bResult = TRUE;
  }
  InterlockedExchange(&device.m_lBusy, FALSE);
  return bResult;
}
