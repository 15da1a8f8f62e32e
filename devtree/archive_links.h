/// Reading the back links of the device tree's records (a device's parent
/// and tree) with the check a hostile report file calls for: a back link must
/// name an object already read. A new object there would belong to no one.
#pragma once

#include "report/archive.h"

/// Reads a reference to an object the reader does not own (a parent, the
/// tree); null or an object of class T read before. A new object fails with
/// badIndex.
CObject* ReadBackReference(CArchive& ar, const CRuntimeClass* pClass);
template <class T>
T* ReadBackObject(CArchive& ar) {
  return static_cast<T*>(ReadBackReference(ar, T::GetThisClass()));
}
