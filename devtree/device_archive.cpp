// The archive record of a device. Its next-sibling reference comes before its
// first-child reference, so a device's record holds, nested, the records of
// all its later siblings before its own children. Written naively that nests
// one call per sibling; here a record walks its sibling chain itself, with the
// archive's header operations, and keeps the siblings whose child references
// are still to come on a stack of its own. The first-child reference, the last
// field, is a tail reference that the archive follows in its own loop.
#include <vector>

#include "devtree/archive_links.h"
#include "devtree/cm_device.h"
#include "devtree/cm_dev_tree.h"
#include "devtree/cm_log_conf.h"

void CCmDevice::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    StoreChain(ar);
  } else {
    LoadChain(ar);
  }
}

// Every field up to and including the parent reference.
void CCmDevice::SerializeFields(CArchive& ar) {
  CCmObject::Serialize(ar);
  ar.GetObjectSchema();  // one layout for every schema
  if (ar.IsStoring()) {
    ar << m_dnDevInst << m_dnParent << m_dnSibling << m_dnChild;
    ar << m_strDeviceId << m_strDeviceDesc << m_strFriendlyName << m_strMfg << m_strLocationInfo
       << m_strEnumeratorName;
    ar << m_ulAddress << m_ulUINumber << m_ulCharacteristics << m_ulCapabilities;
    ar << m_strHardwareIds << m_strCompatibleIds << m_strDriverFiles << m_strInfPath << m_strInfSection
       << m_strCoInstallers << m_strEnumPropPages << m_strInstaller << m_strLowerFilters
       << m_strUpperFilters << m_strProviderName;
    ar << m_ulDeviceReference << m_strClassGuid;
    ar.Write(&m_guidClass, sizeof(m_guidClass));
    ar << m_strClassName << m_strClassDesc << m_strClassCoInstallers << m_strClassEnumPropPages
       << m_strClassInstaller << m_strClassTroubleShooter << m_strClassLowerFilters
       << m_strClassUpperFilters << m_strDriverKey << m_strService << m_strServicePath << m_strPdoName;
    ar << m_ulStatus << m_ulProblem;
    for (const CCmLogConf* pLogConf : m_apLogConf) ar.WriteObject(pLogConf);
    ar.WriteObject(m_pTree);
    ar.WriteObject(m_pParent);
  } else {
    m_lDetailsCollected = TRUE;
    ar >> m_dnDevInst >> m_dnParent >> m_dnSibling >> m_dnChild;
    ar >> m_strDeviceId >> m_strDeviceDesc >> m_strFriendlyName >> m_strMfg >> m_strLocationInfo >>
        m_strEnumeratorName;
    ar >> m_ulAddress >> m_ulUINumber >> m_ulCharacteristics >> m_ulCapabilities;
    ar >> m_strHardwareIds >> m_strCompatibleIds >> m_strDriverFiles >> m_strInfPath >> m_strInfSection >>
        m_strCoInstallers >> m_strEnumPropPages >> m_strInstaller >> m_strLowerFilters >>
        m_strUpperFilters >> m_strProviderName;
    ar >> m_ulDeviceReference >> m_strClassGuid;
    ar.Read(&m_guidClass, sizeof(m_guidClass));
    ar >> m_strClassName >> m_strClassDesc >> m_strClassCoInstallers >> m_strClassEnumPropPages >>
        m_strClassInstaller >> m_strClassTroubleShooter >> m_strClassLowerFilters >>
        m_strClassUpperFilters >> m_strDriverKey >> m_strService >> m_strServicePath >> m_strPdoName;
    ar >> m_ulStatus >> m_ulProblem;
    for (CCmLogConf*& pLogConf : m_apLogConf) ar.ReadOwnedObject(pLogConf);
    m_pTree = ReadBackObject<CCmDevTree>(ar);
    m_pParent = ReadBackObject<CCmDevice>(ar);
    // Derived from the texts only, so it may come before the remaining links.
    DerivePciAddress();
  }
}

void CCmDevice::StoreChain(CArchive& ar) {
  SerializeFields(ar);
  std::vector<CCmDevice*> chain{this};
  for (CCmDevice* pDevice = this; ar.WriteObjectHeader(pDevice->m_pNextSibling);) {
    pDevice = pDevice->m_pNextSibling;
    pDevice->SerializeFields(ar);
    chain.push_back(pDevice);
  }
  // The last sibling's record ends first, so its children come first.
  for (size_t i = chain.size() - 1; i > 0; --i) ar.WriteObject(chain[i]->m_pFirstChild);
  ar.WriteTailObject(m_pFirstChild);
}

void CCmDevice::LoadChain(CArchive& ar) {
  SerializeFields(ar);
  std::vector<CCmDevice*> chain{this};
  for (CCmDevice* pDevice = this;;) {
    CArchive::LoadedRef ref = ar.ReadObjectHeader(RUNTIME_CLASS(CCmDevice));
    if (ref.pObject == nullptr) break;
    if (!ref.bNew) ThrowArchiveException(CArchiveException::badIndex);
    // Linked before its record is read, so a failure deletes it with the chain.
    pDevice->m_pNextSibling = static_cast<CCmDevice*>(ref.pObject);
    pDevice = pDevice->m_pNextSibling;
    pDevice->SerializeFields(ar);
    chain.push_back(pDevice);
  }
  for (size_t i = chain.size() - 1; i > 0; --i) {
    ar.ReadOwnedObject(chain[i]->m_pFirstChild);
  }
  ar.ReadTailObject(m_pFirstChild);
}
