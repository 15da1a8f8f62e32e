#include "devtree/cm_object.h"

IMPLEMENT_SERIAL(CCmObject, CObject, VERSIONABLE_SCHEMA | 1)

BOOL CCmObject::Refresh(BOOL /*bRecursive*/) { return TRUE; }

void CCmObject::Serialize(CArchive& ar) {
  if (ar.IsLoading()) m_bLoaded = TRUE;
}
