// CObject and the by-name registry of runtime class records.
#include "report/object.h"

#include <cstring>

namespace {

// Head of the registry. A constant-initialised pointer, so it is valid before
// any record's constructor runs, whatever the order of static initialisation.
const CRuntimeClass* g_pFirstClass = nullptr;

}  // namespace

CRuntimeClass::CRuntimeClass(const char* lpszClassName, UINT wSchema,
                             CObject* (*pfnCreateObject)(), const CRuntimeClass* pBaseClass)
    : m_lpszClassName(lpszClassName),
      m_wSchema(wSchema),
      m_pfnCreateObject(pfnCreateObject),
      m_pBaseClass(pBaseClass),
      m_pNextClass(g_pFirstClass) {
  g_pFirstClass = this;
}

CObject* CRuntimeClass::CreateObject() const {
  return m_pfnCreateObject != nullptr ? m_pfnCreateObject() : nullptr;
}

BOOL CRuntimeClass::IsDerivedFrom(const CRuntimeClass* pBaseClass) const {
  for (const CRuntimeClass* p = this; p != nullptr; p = p->m_pBaseClass) {
    if (p == pBaseClass) return TRUE;
  }
  return FALSE;
}

const CRuntimeClass* CRuntimeClass::FromName(const char* lpszClassName, size_t nLength) {
  for (const CRuntimeClass* p = g_pFirstClass; p != nullptr; p = p->m_pNextClass) {
    if (std::strlen(p->m_lpszClassName) == nLength &&
        std::memcmp(p->m_lpszClassName, lpszClassName, nLength) == 0) {
      return p;
    }
  }
  return nullptr;
}

const CRuntimeClass CObject::classCObject("CObject", NOT_SERIALIZABLE_SCHEMA, nullptr, nullptr);

const CRuntimeClass* CObject::GetRuntimeClass() const { return &classCObject; }

void CObject::Serialize(CArchive&) {}

BOOL CObject::IsKindOf(const CRuntimeClass* pClass) const {
  return GetRuntimeClass()->IsDerivedFrom(pClass);
}
