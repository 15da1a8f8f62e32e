// Object references: tags, class records, the index map shared by classes and
// objects, tail references and the nesting bound.
#include <memory>

#include "report/archive.h"

namespace {

constexpr WORD kNullTag = 0x0000;
constexpr WORD kNewClassTag = 0xFFFF;
constexpr WORD kClassTag = 0x8000;       // OR a class index below kBigObjectTag
constexpr WORD kBigObjectTag = 0x7FFF;   // a 32-bit index follows
constexpr DWORD kBigClassTag = 0x80000000;  // in that 32-bit index: it names a class
// Indices must leave bit 31 free for kBigClassTag.
constexpr DWORD kMaxMapCount = 0x7FFFFFFF;
// Longer names belong to no class of the program.
constexpr WORD kMaxClassName = 64;

// The load map tells objects from classes by the lowest bit of its entries.
static_assert(alignof(CObject) >= 2, "an object's address is even");
constexpr uintptr_t kClassEntryBit = 1;

}  // namespace

// Counts the WriteObject/ReadObject calls that are running a record.
struct CArchive::NestingGuard {
  NestingGuard(CArchive& ar, int nCause) : m_ar(ar) {
    if (ar.m_nDepth >= kMaxNesting) ThrowArchiveException(nCause);
    ++ar.m_nDepth;
  }
  ~NestingGuard() { --m_ar.m_nDepth; }
  NestingGuard(const NestingGuard&) = delete;
  NestingGuard& operator=(const NestingGuard&) = delete;

  CArchive& m_ar;
};

DWORD CArchive::NextIndex() {
  if (m_nMapCount >= kMaxMapCount) {
    ThrowArchiveException(IsLoading() ? CArchiveException::badIndex
                                      : CArchiveException::genericException);
  }
  return m_nMapCount++;
}

void CArchive::MapObject(const CObject* pOb) {
  if (pOb == nullptr) ThrowArchiveException(CArchiveException::genericException);
  DWORD nIndex = NextIndex();
  if (IsStoring()) {
    m_storeMap.Set(pOb, nIndex);
  } else {
    m_loadMap.push_back(reinterpret_cast<uintptr_t>(pOb));
  }
}

void CArchive::WriteIndexTag(DWORD nIndex, bool bClass) {
  if (nIndex < kBigObjectTag) {
    *this << static_cast<WORD>(bClass ? (kClassTag | nIndex) : nIndex);
  } else {
    *this << kBigObjectTag << (bClass ? (kBigClassTag | nIndex) : nIndex);
  }
}

bool CArchive::WriteObjectHeader(const CObject* pOb) {
  CheckCanWrite();
  if (m_tail.bPending) ThrowArchiveException(CArchiveException::genericException);
  if (pOb == nullptr) {
    *this << kNullTag;
    return false;
  }
  if (DWORD nIndex = m_storeMap.Find(pOb)) {
    WriteIndexTag(nIndex, false);
    return false;
  }
  const CRuntimeClass* pClass = pOb->GetRuntimeClass();
  // A class that cannot be created by name could not be read back.
  if (pClass->m_pfnCreateObject == nullptr) ThrowArchiveException(CArchiveException::badClass);
  if (DWORD nClassIndex = m_storeMap.Find(pClass)) {
    WriteIndexTag(nClassIndex, true);
  } else {
    WORD nNameLength = static_cast<WORD>(std::strlen(pClass->m_lpszClassName));
    *this << kNewClassTag << static_cast<WORD>(pClass->m_wSchema & ~VERSIONABLE_SCHEMA)
          << nNameLength;
    Write(pClass->m_lpszClassName, nNameLength);
    m_storeMap.Set(pClass, NextIndex());
  }
  m_storeMap.Set(pOb, NextIndex());
  return true;
}

void CArchive::WriteObject(const CObject* pOb) {
  if (WriteObjectHeader(pOb)) WriteRecords(pOb);
}

void CArchive::WriteRecords(const CObject* pFirst) {
  NestingGuard guard(*this, CArchiveException::genericException);
  // Each pass writes one record; a tail reference it asked for continues the
  // loop here, where the nested call would have written the same bytes.
  for (const CObject* pOb = pFirst;;) {
    const_cast<CObject*>(pOb)->Serialize(*this);
    if (!m_tail.bPending) return;
    PendingTail tail;
    TakeTail(tail);
    if (!WriteObjectHeader(tail.pStore)) return;
    pOb = tail.pStore;
  }
}

void CArchive::WriteTailObject(const CObject* pOb) {
  // Outside any record reached by reference there is no loop to hand it to.
  if (m_nDepth == 0) {
    WriteObject(pOb);
    return;
  }
  CheckCanWrite();
  if (m_tail.bPending) ThrowArchiveException(CArchiveException::genericException);
  m_tail = PendingTail{};
  m_tail.bPending = true;
  m_tail.nPosition = GetPosition();
  m_tail.pStore = pOb;
}

void CArchive::TakeTail(PendingTail& tail) {
  tail = m_tail;
  m_tail = PendingTail{};
  // Anything the record wrote or read after its tail reference would end up
  // in the wrong place.
  if (GetPosition() != tail.nPosition) ThrowArchiveException(CArchiveException::genericException);
}

const CRuntimeClass* CArchive::ReadClassRecord(UINT& nSchema) {
  WORD wSchema;
  WORD nNameLength;
  *this >> wSchema >> nNameLength;
  if (nNameLength > kMaxClassName) ThrowArchiveException(CArchiveException::badClass);
  char szName[kMaxClassName];
  Read(szName, nNameLength);
  const CRuntimeClass* pClass = CRuntimeClass::FromName(szName, nNameLength);
  if (pClass == nullptr || pClass->m_pfnCreateObject == nullptr) {
    ThrowArchiveException(CArchiveException::badClass);
  }
  if ((pClass->m_wSchema & VERSIONABLE_SCHEMA) == 0 && wSchema != pClass->m_wSchema) {
    ThrowArchiveException(CArchiveException::badSchema);
  }
  nSchema = wSchema;
  NextIndex();
  m_loadClasses.push_back({pClass, nSchema});
  m_loadMap.push_back(((m_loadClasses.size() - 1) << 1) | kClassEntryBit);
  return pClass;
}

CArchive::LoadedRef CArchive::ReadObjectHeader(const CRuntimeClass* pClassRefRequested) {
  CheckCanRead();
  if (m_tail.bPending) ThrowArchiveException(CArchiveException::genericException);
  WORD wTag;
  *this >> wTag;
  const CRuntimeClass* pClass;
  UINT nSchema;
  if (wTag == kNewClassTag) {
    pClass = ReadClassRecord(nSchema);
  } else {
    DWORD nIndex = wTag & ~kClassTag;
    bool bClass = (wTag & kClassTag) != 0;
    if (wTag == kBigObjectTag) {
      *this >> nIndex;
      bClass = (nIndex & kBigClassTag) != 0;
      nIndex &= ~kBigClassTag;
    }
    if (!bClass && nIndex == kNullTag) return {nullptr, false};
    if (nIndex >= m_loadMap.size()) ThrowArchiveException(CArchiveException::badIndex);
    const uintptr_t entry = m_loadMap[nIndex];
    const bool bEntryIsClass = (entry & kClassEntryBit) != 0;
    if (!bClass) {
      if (entry == 0 || bEntryIsClass) ThrowArchiveException(CArchiveException::badIndex);
      CObject* pObject = reinterpret_cast<CObject*>(entry);
      if (pClassRefRequested != nullptr && !pObject->IsKindOf(pClassRefRequested)) {
        ThrowArchiveException(CArchiveException::badClass);
      }
      return {pObject, false};
    }
    if (!bEntryIsClass) ThrowArchiveException(CArchiveException::badIndex);
    const LoadedClass& loaded = m_loadClasses[entry >> 1];
    pClass = loaded.pClass;
    nSchema = loaded.nSchema;
  }
  if (pClassRefRequested != nullptr && !pClass->IsDerivedFrom(pClassRefRequested)) {
    ThrowArchiveException(CArchiveException::badClass);
  }
  std::unique_ptr<CObject> pOb(pClass->CreateObject());
  NextIndex();
  m_loadMap.push_back(reinterpret_cast<uintptr_t>(pOb.get()));
  m_nObjectSchema = nSchema;
  return {pOb.release(), true};
}

CObject* CArchive::ReadObject(const CRuntimeClass* pClassRefRequested) {
  return ReadReference(pClassRefRequested, false);
}

CObject* CArchive::ReadReference(const CRuntimeClass* pClassRefRequested, bool bOwnedLink) {
  UINT nSchemaOuter = m_nObjectSchema;
  LoadedRef ref = ReadObjectHeader(pClassRefRequested);
  if (bOwnedLink && ref.pObject != nullptr && !ref.bNew) {
    ThrowArchiveException(CArchiveException::badIndex);
  }
  if (ref.bNew) ReadRecords(ref.pObject);
  // The record that asked may not have read its own schema yet.
  m_nObjectSchema = nSchemaOuter;
  return ref.pObject;
}

void CArchive::ReadRecords(CObject* pFirst) {
  // Owns the chain until it is complete: later elements hang from the tail
  // slots of earlier ones, so deleting the first deletes what was read.
  std::unique_ptr<CObject> pOwner(pFirst);
  NestingGuard guard(*this, CArchiveException::badIndex);
  for (CObject* pOb = pFirst;;) {
    pOb->Serialize(*this);
    if (!m_tail.bPending) break;
    PendingTail tail;
    TakeTail(tail);
    LoadedRef next = ReadObjectHeader(tail.pClass);
    // A chain link owns its target; a back-reference would give it two owners
    // or close a loop.
    if (next.pObject != nullptr && !next.bNew) ThrowArchiveException(CArchiveException::badIndex);
    tail.pfnAssign(tail.pSlot, next.pObject);
    if (!next.bNew) break;
    pOb = next.pObject;
  }
  pOwner.release();
}

void CArchive::ReadTail(void* pSlot, const CRuntimeClass* pClass, AssignFn pfnAssign) {
  if (m_nDepth == 0) {
    pfnAssign(pSlot, ReadReference(pClass, true));
    return;
  }
  CheckCanRead();
  if (m_tail.bPending) ThrowArchiveException(CArchiveException::genericException);
  m_tail = PendingTail{};
  m_tail.bPending = true;
  m_tail.nPosition = GetPosition();
  m_tail.pSlot = pSlot;
  m_tail.pClass = pClass;
  m_tail.pfnAssign = pfnAssign;
}
