/// CElEventLog: one event log's newest records of a time window, captured
/// into a chain of CElEvent (newest first) with their rendered texts, and the
/// log's archive record.
#pragma once

#include <string>

#include "report/archive.h"
#include "report/archive_time.h"
#include "report/object.h"
#include "win32_api.h"

class CElEvent;

/// Bits of CElEventLog::m_dwFilter.
constexpr DWORD EL_SKIP_INFORMATION = 0x01;
constexpr DWORD EL_SKIP_WARNING = 0x02;
constexpr DWORD EL_SKIP_ERROR = 0x04;
constexpr DWORD EL_SKIP_AUDIT = 0x08;
constexpr DWORD EL_SINCE_START = 0x10;
constexpr DWORD EL_RECENT = 0x20;
constexpr DWORD EL_MAX_COUNT = 0x40;

class CElEventLog : public CObject {
  DECLARE_SERIAL(CElEventLog)

 public:
  /// Size of the one read buffer of a capture.
  static constexpr DWORD kReadBufferSize = 4096;
  /// Most events a capture keeps.
  static constexpr DWORD kCaptureMaxEvents = 200;

  CElEventLog() = default;
  /// Deletes the chain of events.
  ~CElEventLog() override;
  CElEventLog(const CElEventLog&) = delete;
  CElEventLog& operator=(const CElEventLog&) = delete;

  /// Stores the settings, the count and the chain; on load, every event of
  /// the chain gets this log as its m_pLog.
  void Serialize(CArchive& ar) override;

  /// Captures the log m_strLogName: records newer than now - spanWindow,
  /// newest first, at most kCaptureMaxEvents. The settings are set first and
  /// stay whatever follows. TRUE when the first read of the log succeeded.
  BOOL Collect(CTimeSpan spanWindow);
  /// Walks the records of a read buffer and keeps those TestRecord accepts.
  /// A record of length 0, one shorter than its 56-byte head, or one that runs
  /// past `nBytesRead` ends the walk of this buffer. TRUE when a stop was requested.
  BOOL ParseBuffer(const BYTE* pBuffer, DWORD nBytesRead);
  /// TRUE when the record (a whole one) is to be left out; bStop is set when
  /// reading is to end.
  BOOL TestRecord(const BYTE* pRecord, BOOL& bStop);
  /// Builds an event from a whole record and appends it; null when it could
  /// not be built.
  CElEvent* AddEvent(const BYTE* pRecord);

  HANDLE m_hEventLog = nullptr;  // open only while Collect runs
  CElEvent* m_pFirst = nullptr;  // newest; owns the chain
  CElEvent* m_pLast = nullptr;   // oldest
  DWORD m_nCount = 0;
  std::string m_strServerName;  // empty: the local computer
  std::string m_strLogName;
  CTime m_timeCaptured;
  DWORD m_dwFilter = 0;
  CTime m_timeStart;
  CTimeSpan m_spanWindow;
  DWORD m_nMaxEvents = 0;
};
