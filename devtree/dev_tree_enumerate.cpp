// The first pass: the device tree built in one pre-order walk over the
// configuration manager's nodes, and the count reported before each pass.
#include <memory>
#include <new>

#include "app/globals.h"
#include "cfgmgr/cm_api.h"
#include "devtree/cm_dev_tree.h"
#include "devtree/device_collect.h"
#include "sysinfo/system_info.h"

void CCmDevTree::ReportDeviceCount() {
  if (m_pfnProgress.load() == nullptr || m_pApi == nullptr) return;
  CmCursor cursor;
  DEVINST dnRoot = m_pApi->FirstDevNode(cursor);
  ULONG_PTR nCount = 0;
  for (DEVINST dn = dnRoot; dn != 0; dn = m_pApi->NextDevNode(dn, dnRoot, TRUE)) ++nCount;
  ReportProgress(PROGRESS_RANGE, nCount);
}

BOOL CCmDevTree::Enumerate() {
  // A pass still running on its thread reads m_pApi: it ends first.
  if (m_hDetailThread != nullptr) StopDetailThread();
  m_pApi = g_pCmApi;
  BOOL bResult = FALSE;
  if (m_pApi == nullptr || m_pApi->m_hCfgMgr32 == nullptr) return FALSE;
  // Found objects would be linked a second time; a new walk starts afresh.
  ClearDevices();

  m_wCmVersion = m_pApi->CM_Get_Version();
  m_pApi->CM_Get_Global_State(&m_ulGlobalState, 0);
  if (m_pSysInfo == nullptr) {
    m_pSysInfo = new (std::nothrow) CSystemInfo;
    if (m_pSysInfo != nullptr) m_pSysInfo->Collect();
  }
  ReportDeviceCount();

  CmCursor cursor;
  DEVINST dnRoot = m_pApi->FirstDevNode(cursor);
  for (DEVINST dn = dnRoot; dn != 0; dn = m_pApi->NextDevNode(dn, dnRoot, TRUE)) {
    // A node the walk met before (only on an inconsistent system) is
    // collected again but stays where it is linked.
    CCmDevice* pDevice = FindDevice(dn);
    std::unique_ptr<CCmDevice> pNew;
    if (pDevice == nullptr) {
      pNew.reset(new (std::nothrow) CCmDevice);
      if (!pNew) continue;
      pDevice = pNew.get();
    }
    pDevice->m_pTree = this;
    CollectDevice(*pDevice, dn, *m_pApi);

    if (pNew && pDevice->m_dnParent == 0) {
      // The first parentless node is the root; another one (a system that
      // reports no parents) would replace it and lose the tree.
      if (m_pRoot == nullptr) {
        m_pRoot = pNew.release();
        IndexDevice(m_pRoot);
      }
      bResult = TRUE;
    } else if (pNew) {
      auto parent = m_index.find(pDevice->m_dnParent);
      if (parent != m_index.end()) {
        LinkChild(parent->second, pNew.release());
        IndexDevice(pDevice);
      }
    }
    // A device left unlinked (its parent has no object) is still reported,
    // and freed when pNew goes.
    if (!ReportProgress(PROGRESS_DEVICE, reinterpret_cast<ULONG_PTR>(pDevice))) return FALSE;
  }
  return bResult;
}
