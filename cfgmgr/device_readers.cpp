// Readers of one device node: registry properties through the binding, and
// paths and values of the node's Enum, driver and service keys.
#include <cstring>

#include "cfgmgr/cm_api.h"
#include "cfgmgr/guid_text.h"
#include "cfgmgr/key_paths.h"
#include "cfgmgr/registry_readers.h"
#include "cfgmgr/registry_text.h"
#include "cfgmgr/service_image_path.h"

namespace {
// A braced GUID text and its NUL.
constexpr ULONG kGuidTextSize = 39;
}  // namespace

BOOL CCmApi::ReadPropertyText(DEVINST dnDevInst, ULONG ulProperty, char* pszBuffer,
                              ULONG cbBuffer) {
  pszBuffer[0] = '\0';
  ULONG ulType = REG_SZ;
  ULONG ulLength = cbBuffer;
  if (CM_Get_DevNode_Registry_PropertyA(dnDevInst, ulProperty, &ulType, pszBuffer, &ulLength, 0) !=
          CR_SUCCESS ||
      ulType != REG_SZ || !EndTextAtData(pszBuffer, cbBuffer, ulLength)) {
    pszBuffer[0] = '\0';
    return FALSE;
  }
  return TRUE;
}

BOOL CCmApi::ReadDeviceId(DEVINST dnDevInst, char (&szId)[MAX_DEVICE_ID_LEN]) {
  // An ID that fills the buffer without its NUL is not taken as an ID.
  return CM_Get_Device_IDA(dnDevInst, szId, MAX_DEVICE_ID_LEN, 0) == CR_SUCCESS &&
         std::memchr(szId, 0, MAX_DEVICE_ID_LEN) != nullptr;
}

BOOL CCmApi::GetDevNodeString(DEVINST dnDevInst, ULONG ulProperty, PathBuffer& szValue) {
  return ReadPropertyText(dnDevInst, ulProperty, szValue, MAX_PATH);
}

BOOL CCmApi::GetDevNodeDword(DEVINST dnDevInst, ULONG ulProperty, ULONG* pulValue) {
  ULONG ulType = REG_DWORD;
  ULONG ulValue = 0;  // a shorter binary value reads as its bytes, zero-extended
  ULONG ulLength = sizeof ulValue;
  if (CM_Get_DevNode_Registry_PropertyA(dnDevInst, ulProperty, &ulType, &ulValue, &ulLength, 0) !=
          CR_SUCCESS ||
      (ulType != REG_DWORD && ulType != REG_BINARY)) {
    return FALSE;
  }
  *pulValue = ulValue;
  return TRUE;
}

BOOL CCmApi::GetDevNodeClassGuid(DEVINST dnDevInst, GUID* pGuid) {
  char szGuid[kGuidTextSize];
  return ReadPropertyText(dnDevInst, CM_DRP_CLASSGUID, szGuid, kGuidTextSize) &&
         ParseGuidText(szGuid, pGuid);
}

BOOL CCmApi::GetDevNodeClassName(DEVINST dnDevInst, PathBuffer& szName) {
  szName[0] = '\0';
  GUID guid{};
  if (!GetDevNodeClassGuid(dnDevInst, &guid)) return FALSE;
  ULONG ulLength = MAX_PATH;
  if (CM_Get_Class_NameA(&guid, szName, &ulLength, 0) != CR_SUCCESS) {
    szName[0] = '\0';
    return FALSE;
  }
  return TRUE;
}

BOOL CCmApi::GetDeviceId(DEVINST dnDevInst, std::string& strId) {
  char szId[MAX_DEVICE_ID_LEN];
  if (!ReadDeviceId(dnDevInst, szId)) return FALSE;
  strId = szId;
  return TRUE;
}

ULONG CCmApi::GetDevNodeStatus(DEVINST dnDevInst, ULONG* pulProblem) {
  ULONG ulStatus = 0;
  ULONG ulProblem = 0;
  if (CM_Get_DevNode_Status(&ulStatus, &ulProblem, dnDevInst, 0) != CR_SUCCESS) {
    ulStatus = 0;
    ulProblem = 0;
  }
  if (pulProblem != nullptr) *pulProblem = ulProblem;
  return ulStatus;
}

BOOL CCmApi::GetEnumKeyPath(DEVINST dnDevInst, PathBuffer& szPath) {
  char szId[MAX_DEVICE_ID_LEN];
  return ReadDeviceId(dnDevInst, szId) && BuildKeyPath(szPath, kEnumRoot, szId, 30);
}

BOOL CCmApi::GetDriverKeyPath(DEVINST dnDevInst, PathBuffer& szPath) {
  PathBuffer szDriver;
  return GetDevNodeString(dnDevInst, CM_DRP_DRIVER, szDriver) &&
         BuildKeyPath(szPath, kClassRoot, szDriver, 39);
}

BOOL CCmApi::GetInfInfo(DEVINST dnDevInst, PathBuffer& szInfPath, PathBuffer* pszSection,
                        PathBuffer* pszSectionExt) {
  szInfPath[0] = '\0';
  PathBuffer szKeyPath;
  if (!GetDriverKeyPath(dnDevInst, szKeyPath)) return FALSE;
  ScopedRegKey key = OpenKeyForRead(HKEY_LOCAL_MACHINE, szKeyPath);
  if (!key) return FALSE;
  if (!RegReadString(key.get(), "InfPath", szInfPath, MAX_PATH)) return FALSE;
  // A missing section reads as an empty text (RegReadString leaves one).
  if (pszSection != nullptr) RegReadString(key.get(), "InfSection", *pszSection, MAX_PATH);
  if (pszSectionExt != nullptr) RegReadString(key.get(), "InfSectionExt", *pszSectionExt, MAX_PATH);
  return TRUE;
}

BOOL CCmApi::GetServiceImagePath(DEVINST dnDevInst, char* pszPath, size_t cbPath) {
  if (cbPath == 0) return FALSE;
  pszPath[0] = '\0';
  PathBuffer szService;
  if (!GetDevNodeString(dnDevInst, CM_DRP_SERVICE, szService)) return FALSE;
  PathBuffer szKeyPath;
  if (!BuildKeyPath(szKeyPath, kServicesRoot, szService, 34)) return FALSE;
  ScopedRegKey key = OpenKeyForRead(HKEY_LOCAL_MACHINE, szKeyPath);
  if (!key) return FALSE;
  return ResolveServiceImagePath(key.get(), szService, pszPath, cbPath);
}

ULONG CCmApi::GetDeviceReference(DEVINST dnDevInst) {
  PathBuffer szPath;
  if (!GetEnumKeyPath(dnDevInst, szPath)) return 0;
  ScopedRegKey enumKey = OpenKeyForRead(HKEY_LOCAL_MACHINE, szPath);
  if (!enumKey) return 0;
  ScopedRegKey controlKey = OpenKeyForRead(enumKey.get(), "Control");
  if (!controlKey) return 0;
  ULONG ulValue = 0;
  return RegReadDeviceReference(controlKey.get(), &ulValue) ? ulValue : 0;
}
