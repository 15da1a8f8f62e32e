#include "eventlog/el_event_log.h"

#include <cstring>
#include <memory>
#include <new>

#include "eventlog/el_event.h"
#include "eventlog/event_record.h"

IMPLEMENT_SERIAL(CElEventLog, CObject, 1 | VERSIONABLE_SCHEMA)

using tov::eventlog::kRecordHeadSize;
using tov::eventlog::RecordHead;

CElEventLog::~CElEventLog() { delete m_pFirst; }

void CElEventLog::Serialize(CArchive& ar) {
  ar.MapObject(this);
  ar.GetObjectSchema();
  if (ar.IsStoring()) {
    ar << m_strServerName << m_strLogName << m_timeCaptured << m_dwFilter << m_timeStart
       << m_spanWindow << m_nMaxEvents << m_nCount;
    ar.WriteObject(m_pFirst);
    ar.WriteObject(m_pLast);
    return;
  }
  delete m_pFirst;
  m_pFirst = m_pLast = nullptr;
  ar >> m_strServerName >> m_strLogName >> m_timeCaptured >> m_dwFilter >> m_timeStart >>
      m_spanWindow >> m_nMaxEvents >> m_nCount;
  ar.ReadOwnedObject(m_pFirst);
  CElEvent* pLast = static_cast<CElEvent*>(ar.ReadObject(RUNTIME_CLASS(CElEvent)));
  // Every event read so far is in the chain, so a last event found outside
  // it is a new object that nothing would own: the stream is malformed.
  bool bInChain = pLast == nullptr;
  for (CElEvent* pEvent = m_pFirst; pEvent != nullptr; pEvent = pEvent->m_pNext) {
    pEvent->m_pLog = this;
    if (pEvent == pLast) bInChain = true;
  }
  if (!bInChain) {
    delete pLast;
    ThrowArchiveException(CArchiveException::badIndex);
  }
  m_pLast = pLast;
}

BOOL CElEventLog::Collect(CTimeSpan spanWindow) {
  m_dwFilter = EL_RECENT | EL_MAX_COUNT;
  m_timeStart = CTime(0);
  m_spanWindow = spanWindow;
  m_nMaxEvents = kCaptureMaxEvents;
  m_timeCaptured = CTime(_time64(nullptr));

  std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[kReadBufferSize]);
  if (!buffer) return FALSE;
  if (m_hEventLog != nullptr) {
    CloseEventLog(m_hEventLog);
    m_hEventLog = nullptr;
  }
  m_hEventLog =
      OpenEventLogA(m_strServerName.empty() ? nullptr : m_strServerName.c_str(), m_strLogName.c_str());
  if (m_hEventLog == nullptr) return FALSE;
  // The handle lives in the member while the capture runs and is closed on
  // every way out of it.
  struct LogCloser {
    HANDLE& hLog;
    ~LogCloser() {
      CloseEventLog(hLog);
      hLog = nullptr;
    }
  } closer{m_hEventLog};

  constexpr DWORD kFlags = EVENTLOG_SEQUENTIAL_READ | EVENTLOG_BACKWARDS_READ;
  DWORD nBytesRead = 0;
  DWORD nBytesNeeded = 0;
  if (!ReadEventLogA(m_hEventLog, kFlags, 0, buffer.get(), kReadBufferSize, &nBytesRead,
                     &nBytesNeeded)) {
    return FALSE;
  }
  while (!ParseBuffer(buffer.get(), nBytesRead) &&
         ReadEventLogA(m_hEventLog, kFlags, 0, buffer.get(), kReadBufferSize, &nBytesRead,
                       &nBytesNeeded)) {
  }
  return TRUE;
}

BOOL CElEventLog::ParseBuffer(const BYTE* pBuffer, DWORD nBytesRead) {
  DWORD nOffset = 0;
  while (nOffset < nBytesRead && nBytesRead - nOffset >= sizeof(DWORD)) {
    DWORD nLength;
    std::memcpy(&nLength, pBuffer + nOffset, sizeof nLength);
    // A damaged length ends the walk of this buffer as a zero length does:
    // nothing behind it can be found, and nothing outside it may be read.
    if (nLength < kRecordHeadSize || nLength > nBytesRead - nOffset) break;
    BOOL bStop = FALSE;
    if (!TestRecord(pBuffer + nOffset, bStop)) AddEvent(pBuffer + nOffset);
    if (bStop) return TRUE;
    nOffset += nLength;
  }
  return FALSE;
}

BOOL CElEventLog::TestRecord(const BYTE* pRecord, BOOL& bStop) {
  const EVENTLOGRECORD head = RecordHead(pRecord);
  // The sum wraps in 32 bits before it is compared with the 64-bit times.
  const LONGLONG x = static_cast<LONGLONG>(static_cast<DWORD>(head.TimeGenerated + 1));
  BOOL bSkip = FALSE;
  bStop = FALSE;
  if ((m_dwFilter & EL_SINCE_START) != 0 && x < m_timeStart.GetTime()) {
    bSkip = bStop = TRUE;
  }
  if ((m_dwFilter & EL_RECENT) != 0) {
    if ((m_dwFilter & EL_SINCE_START) != 0 &&
        x > m_timeStart.GetTime() + m_spanWindow.GetTotalSeconds()) {
      bSkip = TRUE;
    } else if (x < _time64(nullptr) - m_spanWindow.GetTotalSeconds()) {
      bSkip = bStop = TRUE;
    }
  }
  if ((m_dwFilter & EL_MAX_COUNT) != 0 && m_nCount >= m_nMaxEvents) {
    bSkip = bStop = TRUE;
  }
  switch (head.EventType) {
    case EVENTLOG_ERROR_TYPE:
      if ((m_dwFilter & EL_SKIP_ERROR) != 0) return TRUE;
      break;
    case EVENTLOG_WARNING_TYPE:
      if ((m_dwFilter & EL_SKIP_WARNING) != 0) return TRUE;
      break;
    case EVENTLOG_INFORMATION_TYPE:
      if ((m_dwFilter & EL_SKIP_INFORMATION) != 0) return TRUE;
      break;
    case EVENTLOG_AUDIT_SUCCESS:
    case EVENTLOG_AUDIT_FAILURE:
      if ((m_dwFilter & EL_SKIP_AUDIT) != 0) return TRUE;
      break;
    default:
      break;
  }
  return bSkip;
}

CElEvent* CElEventLog::AddEvent(const BYTE* pRecord) {
  std::unique_ptr<CElEvent> pEvent(new (std::nothrow) CElEvent);
  if (!pEvent || !pEvent->Init(this, pRecord)) return nullptr;
  if (m_pLast != nullptr) {
    m_pLast->m_pNext = pEvent.get();
  } else {
    m_pFirst = pEvent.get();
  }
  ++m_nCount;
  m_pLast = pEvent.release();
  return m_pLast;
}
