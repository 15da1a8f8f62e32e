// The walks over a device's configurations and a configuration's descriptors.
#include "devtree/log_conf_collect.h"

#include <memory>
#include <new>

BOOL CollectLogConfs(CCmDevice& device, ULONG ulType) {
  if (device.m_pApi == nullptr || ulType >= kLogConfTypes) return TRUE;
  CCmApi& api = *device.m_pApi;
  CmCursor cursor;
  cursor.hFirst = device.m_dnDevInst;
  LOG_CONF lcFirst = 0;
  api.CM_Get_First_Log_Conf(&lcFirst, device.m_dnDevInst, ulType);
  cursor.hCurrent = lcFirst;

  CCmLogConf** ppTail = &device.m_apLogConf[ulType];
  while (*ppTail != nullptr) ppTail = &(*ppTail)->m_pNext;
  // NextLogConf releases each configuration handle as it steps past it.
  for (; cursor.hCurrent != 0; api.NextLogConf(cursor)) {
    // Owned here until linked, so that memory running out while it is
    // filled does not lose it.
    std::unique_ptr<CCmLogConf> pLogConf(new (std::nothrow) CCmLogConf);
    if (pLogConf == nullptr) continue;
    if (FillLogConf(*pLogConf, ulType, cursor.hCurrent, api) && pLogConf->m_pFirstResDes != nullptr) {
      *ppTail = pLogConf.release();
      ppTail = &(*ppTail)->m_pNext;
    }
  }
  return TRUE;
}

BOOL FillLogConf(CCmLogConf& logConf, ULONG ulType, LOG_CONF lcLogConf, CCmApi& api) {
  logConf.m_ulType = ulType;
  logConf.m_hLogConf = static_cast<ULONG>(lcLogConf);
  api.CM_Get_Log_Conf_Priority(lcLogConf, &logConf.m_ulPriority, 0);

  // The walk starts on the configuration handle, which it never releases.
  CmCursor cursor;
  cursor.hFirst = cursor.hCurrent = lcLogConf;
  cursor.resType = ResType_All;
  CCmResDes** ppTail = &logConf.m_pFirstResDes;
  RESOURCEID resType = ResType_None;
  while (RES_DES rdResDes = api.NextResDes(cursor, &resType)) {
    std::unique_ptr<CCmResDes> pResDes(new (std::nothrow) CCmResDes);
    if (pResDes == nullptr) continue;
    if (FillResDes(*pResDes, resType, IsRequirementsLogConfType(ulType), rdResDes, api)) {
      *ppTail = pResDes.release();
      ppTail = &(*ppTail)->m_pNext;
    }
  }
  return logConf.m_pFirstResDes != nullptr;
}

BOOL FillResDes(CCmResDes& resDes, RESOURCEID resType, BOOL bRequirements, RES_DES rdResDes,
                CCmApi& api) {
  resDes.m_hResDes = static_cast<ULONG>(rdResDes);
  resDes.m_ulResType = resType;
  resDes.m_bRequirements = bRequirements;
  resDes.m_ulDataSize = 0;
  api.CM_Get_Res_Des_Data_Size(&resDes.m_ulDataSize, rdResDes, 0);
  if (resDes.m_ulDataSize == 0) return FALSE;
  resDes.m_pData.reset(new (std::nothrow) BYTE[resDes.m_ulDataSize]);
  if (!resDes.m_pData ||
      api.CM_Get_Res_Des_Data(rdResDes, resDes.m_pData.get(), resDes.m_ulDataSize, 0) != CR_SUCCESS) {
    resDes.m_pData.reset();
    resDes.m_ulDataSize = 0;
    return FALSE;
  }
  return TRUE;
}
