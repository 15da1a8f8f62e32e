#include "eventlog/el_event.h"

#include <cstring>
#include <new>

#include "eventlog/el_event_log.h"
#include "eventlog/event_record.h"

IMPLEMENT_SERIAL(CElEvent, CObject, 1 | VERSIONABLE_SCHEMA)

using tov::eventlog::kRecordHeadSize;
using tov::eventlog::RecordHead;

CElEvent::~CElEvent() {
  FreeRecord();
  CElEvent* pNext = m_pNext;
  while (pNext != nullptr) {
    CElEvent* pAfter = pNext->m_pNext;
    pNext->m_pNext = nullptr;
    delete pNext;
    pNext = pAfter;
  }
}

void CElEvent::FreeRecord() {
  if (m_bOwnsRecord) delete[] m_pRecord;
  m_pRecord = nullptr;
  m_bOwnsRecord = FALSE;
}

bool CElEvent::HasRecordHead() const {
  if (m_pRecord == nullptr) return false;
  DWORD nLength;
  std::memcpy(&nLength, m_pRecord, sizeof nLength);
  return nLength >= kRecordHeadSize;
}

void CElEvent::Serialize(CArchive& ar) {
  ar.GetObjectSchema();
  if (ar.IsStoring()) {
    DWORD nLength = 0;
    if (m_pRecord != nullptr) std::memcpy(&nLength, m_pRecord, sizeof nLength);
    // An event without a record copy is stored as a record of length 0,
    // which loads back as an event without one.
    if (nLength == 0) {
      ar << nLength;
    } else {
      ar.Write(m_pRecord, nLength);
    }
    ar << m_strMessage << m_strCategory << m_strUser;
    ar.WriteTailObject(m_pNext);
    return;
  }
  FreeRecord();
  DWORD nLength;
  ar >> nLength;
  if (nLength != 0) {
    // The length counts its own four bytes; less cannot be a record.
    if (nLength < sizeof nLength) ThrowArchiveException(CArchiveException::badIndex);
    ar.EnsureAvailable(nLength - sizeof nLength);
    m_pRecord = new BYTE[nLength];
    m_bOwnsRecord = TRUE;
    std::memcpy(m_pRecord, &nLength, sizeof nLength);
    ar.Read(m_pRecord + sizeof nLength, nLength - sizeof nLength);
  }
  ar >> m_strMessage >> m_strCategory >> m_strUser;
  ar.ReadTailObject(m_pNext);
}

BOOL CElEvent::Init(CElEventLog* pLog, const BYTE* pRecord) {
  m_pLog = pLog;
  DWORD nLength;
  std::memcpy(&nLength, pRecord, sizeof nLength);
  if (nLength < kRecordHeadSize) return FALSE;
  FreeRecord();
  m_pRecord = new (std::nothrow) BYTE[nLength];
  if (m_pRecord == nullptr) return FALSE;
  m_bOwnsRecord = TRUE;
  std::memcpy(m_pRecord, pRecord, nLength);

  FormatDescription();
  const WORD wCategory = RecordHead(m_pRecord).EventCategory;
  if (wCategory != 0) LoadMessageText(nullptr, wCategory, "CategoryMessageFile", m_strCategory);
  LookupUser();
  return TRUE;
}
