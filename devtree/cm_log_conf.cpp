// Destruction and archive records of configurations and descriptors. Chains
// end with their next-element reference, so the archive writes and reads
// them as tail references, and destruction walks them in a loop.
#include "devtree/cm_log_conf.h"


IMPLEMENT_SERIAL(CCmResDes, CCmObject, VERSIONABLE_SCHEMA | 1)
IMPLEMENT_SERIAL(CCmLogConf, CCmObject, VERSIONABLE_SCHEMA | 1)

namespace {

// Deletes the elements after pFirst one by one, each with its link taken so
// that its destructor does not follow it.
template <class T>
void DestroyRestOfChain(T* pFirst) {
  T* pNext = pFirst->m_pNext;
  pFirst->m_pNext = nullptr;
  while (pNext != nullptr) {
    T* pDelete = pNext;
    pNext = pDelete->m_pNext;
    pDelete->m_pNext = nullptr;
    delete pDelete;
  }
}

}  // namespace

BOOL IsRequirementsLogConfType(ULONG ulType) { return ulType == 0 || ulType == 1 || ulType == 5; }

CCmResDes::~CCmResDes() { DestroyRestOfChain(this); }

void CCmResDes::Serialize(CArchive& ar) {
  CCmObject::Serialize(ar);
  ar.GetObjectSchema();
  if (ar.IsStoring()) {
    ar << m_hResDes << m_ulResType << static_cast<DWORD>(m_bRequirements ? 1 : 0) << m_ulDataSize;
    if (m_ulDataSize != 0) ar.Write(m_pData.get(), m_ulDataSize);
    ar.WriteTailObject(m_pNext);
  } else {
    DWORD dwRequirements;
    ULONG ulDataSize;
    ar >> m_hResDes >> m_ulResType >> dwRequirements >> ulDataSize;
    m_bRequirements = dwRequirements != 0;
    m_pData.reset();
    m_ulDataSize = 0;
    if (ulDataSize != 0) {
      // A size the stream cannot hold fails here, before anything is
      // allocated; memory that cannot be had fails the load as well, since
      // the bytes left unread would put the rest of the stream out of step.
      ar.EnsureAvailable(ulDataSize);
      m_pData.reset(new BYTE[ulDataSize]);
      ar.Read(m_pData.get(), ulDataSize);
      m_ulDataSize = ulDataSize;
    }
    ar.ReadTailObject(m_pNext);
  }
}

CCmLogConf::~CCmLogConf() {
  DestroyRestOfChain(this);
  if (m_pFirstResDes != nullptr) {
    delete m_pFirstResDes;
    m_pFirstResDes = nullptr;
  }
}

void CCmLogConf::Serialize(CArchive& ar) {
  CCmObject::Serialize(ar);
  ar.GetObjectSchema();
  if (ar.IsStoring()) {
    ar << m_hLogConf << m_ulType << m_ulPriority;
    ar.WriteObject(m_pFirstResDes);
    ar.WriteTailObject(m_pNext);
  } else {
    ar >> m_hLogConf >> m_ulType >> m_ulPriority;
    ar.ReadOwnedObject(m_pFirstResDes);
    ar.ReadTailObject(m_pNext);
  }
}
