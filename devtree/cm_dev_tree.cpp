// The device tree's ownership, lookups and "DevMan" record.
#include "devtree/cm_dev_tree.h"

#include <utility>
#include <vector>

#include "sysinfo/system_info.h"

IMPLEMENT_SERIAL(CCmDevTree, CCmObject, VERSIONABLE_SCHEMA | 1)

CCmDevTree::CCmDevTree() : m_evStop(TRUE, FALSE), m_evFinished(TRUE, FALSE) {}

CCmDevTree::~CCmDevTree() {
  if (m_hDetailThread != nullptr) StopDetailThread();
  ClearDevices();
  delete m_pSysInfo;
  m_pSysInfo = nullptr;
}

void CCmDevTree::SetProgressCallback(CmProgressProc pfnProgress, void* pProgressParam) {
  m_pProgressParam = pProgressParam;
  m_pfnProgress.exchange(pfnProgress);
}

BOOL CCmDevTree::ReportProgress(LONG nCode, ULONG_PTR value) {
  CmProgressProc pfnProgress = m_pfnProgress.load();
  return pfnProgress == nullptr || pfnProgress(nCode, value, m_pProgressParam);
}

void CCmDevTree::ClearDevices() {
  delete m_pRoot;
  m_pRoot = nullptr;
  m_index.clear();
}

CCmDevice* CCmDevTree::NextDevice(const CCmDevice* pDevice, const CCmDevice* pRoot) {
  if (pDevice->m_pFirstChild != nullptr) return pDevice->m_pFirstChild;
  if (pDevice == pRoot) return nullptr;
  for (const CCmDevice* pNode = pDevice;;) {
    if (pNode->m_pNextSibling != nullptr) return pNode->m_pNextSibling;
    const CCmDevice* pParent = pNode->m_pParent;
    if (pParent == nullptr || pParent == pRoot) return nullptr;
    pNode = pParent;
  }
}

CCmDevice* CCmDevTree::FindDevice(DWORD dnDevInst) const {
  auto found = m_index.find(dnDevInst);
  return found == m_index.end() ? nullptr : found->second.pDevice;
}

void CCmDevTree::IndexDevice(CCmDevice* pDevice) {
  m_index.emplace(pDevice->m_dnDevInst, IndexEntry{pDevice, nullptr});
}

void CCmDevTree::IndexSubtree(CCmDevice* pRoot) {
  for (CCmDevice* pDevice = pRoot; pDevice != nullptr; pDevice = NextDevice(pDevice, pRoot)) {
    IndexDevice(pDevice);
  }
}

void CCmDevTree::LinkChild(IndexEntry& parentEntry, CCmDevice* pDevice) {
  CCmDevice* pParent = parentEntry.pDevice;
  pDevice->m_pParent = pParent;
  if (parentEntry.pLastChild == nullptr) {
    pParent->m_pFirstChild = pDevice;
  } else {
    parentEntry.pLastChild->m_pNextSibling = pDevice;
  }
  parentEntry.pLastChild = pDevice;
}

bool CCmDevTree::LoadedLinksAgree() const {
  // Passes and lookups climb through m_pParent; a file whose parent links
  // disagree with its chains could send them round in circles.
  std::vector<std::pair<const CCmDevice*, const CCmDevice*>> pending{{m_pRoot, nullptr}};
  while (!pending.empty()) {
    auto [pDevice, pParent] = pending.back();
    pending.pop_back();
    for (; pDevice != nullptr; pDevice = pDevice->m_pNextSibling) {
      if (pDevice->m_pParent != pParent || pDevice->m_pTree != this) return false;
      if (pDevice->m_pFirstChild != nullptr) pending.emplace_back(pDevice->m_pFirstChild, pDevice);
    }
  }
  return true;
}

void CCmDevTree::Serialize(CArchive& ar) {
  // A pass on its own thread walks the devices: writing waits for its end,
  // reading stops it first, since reading replaces the devices it walks.
  if (m_hDetailThread != nullptr) {
    if (ar.IsStoring()) {
      m_evFinished.Lock(0);
    } else {
      StopDetailThread();
    }
  }
  // Registered before any field, so every device's tree reference is a
  // back-reference to this record.
  ar.MapObject(this);
  CCmObject::Serialize(ar);
  ar.GetObjectSchema();
  if (ar.IsStoring()) {
    ar << m_wCmVersion << m_ulGlobalState;
    ar.WriteObject(m_pRoot);
    ar.WriteObject(m_pSysInfo);
  } else {
    ClearDevices();
    delete m_pSysInfo;
    m_pSysInfo = nullptr;
    ar >> m_wCmVersion >> m_ulGlobalState;
    ar.ReadOwnedObject(m_pRoot);
    if (!LoadedLinksAgree()) {
      ClearDevices();
      ThrowArchiveException(CArchiveException::badIndex);
    }
    IndexSubtree(m_pRoot);
    ar.ReadOwnedObject(m_pSysInfo);
  }
}
