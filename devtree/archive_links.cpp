#include "devtree/archive_links.h"

CObject* ReadBackReference(CArchive& ar, const CRuntimeClass* pClass) {
  CArchive::LoadedRef ref = ar.ReadObjectHeader(pClass);
  if (ref.bNew) {
    delete ref.pObject;
    ThrowArchiveException(CArchiveException::badIndex);
  }
  return ref.pObject;
}
