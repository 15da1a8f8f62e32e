// Construction, destruction and ClearDetails of a device object.
#include "devtree/cm_device.h"

#include "devtree/cm_log_conf.h"

IMPLEMENT_SERIAL(CCmDevice, CCmObject, VERSIONABLE_SCHEMA | 3)

CCmDevice::CCmDevice() = default;

CCmDevice::~CCmDevice() {
  CCmDevice* pSiblings = m_pNextSibling;
  CCmDevice* pChildren = m_pFirstChild;
  m_pNextSibling = nullptr;
  m_pFirstChild = nullptr;
  DestroyDeviceChain(pSiblings);
  DestroyDeviceChain(pChildren);
  m_dnDevInst = m_dnParent = m_dnSibling = m_dnChild = 0;
  ClearDetails();
}

void CCmDevice::ClearDetails() {
  for (CCmLogConf*& pLogConf : m_apLogConf) {
    delete pLogConf;
    pLogConf = nullptr;
  }
  m_ulDeviceReference = 0;
  m_ulCapabilities = 0;
  m_ulAddress = 0;
  m_ulUINumber = 0;
  m_ulCharacteristics = 0;
  m_ulStatus = 0;
  m_ulProblem = 0;
  m_guidClass = GUID{};
  m_wPciAddress = 0;
  m_lDetailsCollected = FALSE;
}

void DestroyDeviceChain(CCmDevice* pDevice) {
  // Seen as a binary tree (first child left, next sibling right): a node with
  // a child is rotated so that the child comes first and the node becomes the
  // child's next sibling; a node without one is deleted with its links
  // already taken, so its own destructor finds nothing to follow.
  while (pDevice != nullptr) {
    CCmDevice* pChild = pDevice->m_pFirstChild;
    if (pChild != nullptr) {
      pDevice->m_pFirstChild = pChild->m_pNextSibling;
      pChild->m_pNextSibling = pDevice;
      pDevice = pChild;
    } else {
      CCmDevice* pNext = pDevice->m_pNextSibling;
      pDevice->m_pNextSibling = nullptr;
      delete pDevice;
      pDevice = pNext;
    }
  }
}
