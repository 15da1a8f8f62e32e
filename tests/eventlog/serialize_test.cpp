// The archive records of CElEventLog and CElEvent: exact bytes, round trips,
// long chains, and malformed streams that must fail cleanly.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "eventlog/el_event.h"
#include "eventlog/el_event_log.h"
#include "report/mem_file.h"

namespace {

using Bytes = std::vector<BYTE>;

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}
Bytes U16(WORD v) { return {BYTE(v), BYTE(v >> 8)}; }
Bytes U32(DWORD v) { return {BYTE(v), BYTE(v >> 8), BYTE(v >> 16), BYTE(v >> 24)}; }
Bytes U64(ULONGLONG v) { return Cat({U32(DWORD(v)), U32(DWORD(v >> 32))}); }
Bytes Str(const std::string& s) {  // short strings only: one length byte
  Bytes out = {BYTE(s.size())};
  for (char c : s) out.push_back(BYTE(c));
  return out;
}

Bytes Store(CObject& object) {
  CMemFile file;
  CArchive ar(&file, CArchive::store);
  object.Serialize(ar);
  ar.Close();
  return file.Data();
}

void Load(CObject& object, const Bytes& bytes) {
  CMemFile file(bytes);
  CArchive ar(&file, CArchive::load);
  object.Serialize(ar);
}

// A record of only its 56-byte head: event `id` generated at `time`.
Bytes HeadRecord(DWORD number, DWORD time, DWORD id) {
  return Cat({U32(56), U32(0x654c664c), U32(number), U32(time), U32(time), U32(id),
              U16(4), U16(0), U16(0), U16(0), U32(0), U32(56), U32(0), U32(56), U32(0), U32(56)});
}

// Appends an event with a copy of `record` and the three texts.
CElEvent* Append(CElEventLog& log, const Bytes& record, const char* message = "",
                 const char* category = "", const char* user = "") {
  CElEvent* e = new CElEvent;
  if (!record.empty()) {
    e->m_pRecord = new BYTE[record.size()];
    std::memcpy(e->m_pRecord, record.data(), record.size());
    e->m_bOwnsRecord = TRUE;
  }
  e->m_strMessage = message;
  e->m_strCategory = category;
  e->m_strUser = user;
  e->m_pLog = &log;
  (log.m_pLast != nullptr ? log.m_pLast->m_pNext : log.m_pFirst) = e;
  log.m_pLast = e;
  ++log.m_nCount;
  return e;
}

constexpr LONGLONG kCaptured = 1700000000;  // 0x6553F100

void SetCaptureSettings(CElEventLog& log) {
  log.m_strLogName = "System";
  log.m_timeCaptured = CTime(kCaptured);
  log.m_dwFilter = 0x60;
  log.m_spanWindow = CTimeSpan(864000);
  log.m_nMaxEvents = 200;
}

const Bytes kRecordA = HeadRecord(7, 0x6553F0FF, 1000);
const Bytes kRecordB = HeadRecord(6, 0x6553F000, 0xC0000403);

// Settings, two events, and the last event as a back-reference (index 4:
// the log is 1, the class 2, the events 3 and 4).
const Bytes kTwoEvents = Cat({
    Str(""), Str("System"), U64(kCaptured), U32(0x60), U64(0), U64(864000), U32(200), U32(2),
    U16(0xFFFF), U16(1), U16(8), {'C', 'E', 'l', 'E', 'v', 'e', 'n', 't'},
    kRecordA, Str("hello"), Str("Disk"), Str("\\alice"),
    U16(0x8002),
    kRecordB, Str(""), Str(""), Str(""),
    U16(0x0000),
    U16(0x0004),
});

TEST(EventLogRecord, TwoEventsAndTheLastAsABackReference) {
  CElEventLog log;
  SetCaptureSettings(log);
  Append(log, kRecordA, "hello", "Disk", "\\alice");
  Append(log, kRecordB);
  EXPECT_EQ(Store(log), kTwoEvents);
}

TEST(EventLogRecord, ASkippedStageAndAnEmptyCapture) {
  CElEventLog skipped;
  skipped.m_strLogName = "Norvan";
  EXPECT_EQ(Store(skipped), Cat({Str(""), Str("Norvan"), U64(0), U32(0), U64(0), U64(0), U32(0),
                                 U32(0), U16(0), U16(0)}));
  CElEventLog empty;
  SetCaptureSettings(empty);
  EXPECT_EQ(Store(empty), Cat({Str(""), Str("System"), U64(kCaptured), U32(0x60), U64(0),
                               U64(864000), U32(200), U32(0), U16(0), U16(0)}));
}

TEST(EventLogRecord, LoadGivesEveryEventItsLogAndItsOwnRecord) {
  CElEventLog log;
  Load(log, kTwoEvents);
  EXPECT_EQ(log.m_strLogName, "System");
  EXPECT_EQ(log.m_timeCaptured.GetTime(), kCaptured);
  EXPECT_EQ(log.m_dwFilter, 0x60u);
  EXPECT_EQ(log.m_spanWindow.GetTotalSeconds(), 864000);
  EXPECT_EQ(log.m_nMaxEvents, 200u);
  EXPECT_EQ(log.m_nCount, 2u);
  ASSERT_NE(log.m_pFirst, nullptr);
  CElEvent* second = log.m_pFirst->m_pNext;
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->m_pNext, nullptr);
  EXPECT_EQ(log.m_pLast, second);
  for (CElEvent* e : {log.m_pFirst, second}) {
    EXPECT_EQ(e->m_pLog, &log);
    EXPECT_TRUE(e->m_bOwnsRecord);
  }
  EXPECT_EQ(Bytes(log.m_pFirst->m_pRecord, log.m_pFirst->m_pRecord + 56), kRecordA);
  EXPECT_EQ(Bytes(second->m_pRecord, second->m_pRecord + 56), kRecordB);
  EXPECT_EQ(log.m_pFirst->m_strUser, "\\alice");
  EXPECT_EQ(Store(log), kTwoEvents) << "stored again, the same bytes";
}

TEST(EventLogRecord, AnEventWithoutARecordIsStoredWithLengthZero) {
  CElEventLog log;
  Append(log, {}, "m");
  Bytes stored = Store(log);
  CElEventLog loaded;
  Load(loaded, stored);
  ASSERT_NE(loaded.m_pFirst, nullptr);
  EXPECT_EQ(loaded.m_pFirst->m_pRecord, nullptr);
  EXPECT_FALSE(loaded.m_pFirst->m_bOwnsRecord);
  EXPECT_EQ(loaded.m_pFirst->m_strMessage, "m");
}

// Chains are read without nesting: a chain far longer than a capture's 200
// loads back whole, and every middle event gets its log.
TEST(EventLogRecord, LongChainsRoundTrip) {
  for (DWORD count : {200u, 20000u}) {
    SCOPED_TRACE(count);
    CElEventLog log;
    for (DWORD i = 0; i < count; ++i) Append(log, HeadRecord(i, i, i));
    Bytes stored = Store(log);
    CElEventLog loaded;
    Load(loaded, stored);
    DWORD n = 0;
    const CElEvent* last = nullptr;
    for (const CElEvent* e = loaded.m_pFirst; e != nullptr; e = e->m_pNext, ++n) {
      ASSERT_EQ(e->m_pLog, &loaded);
      ASSERT_EQ(e->m_pRecord[8], BYTE(n));
      last = e;
    }
    EXPECT_EQ(n, count);
    EXPECT_EQ(loaded.m_pLast, last);
  }
}

int LoadCause(const Bytes& bytes) {
  try {
    CElEventLog log;
    Load(log, bytes);
  } catch (const CArchiveException& e) {
    return e.m_cause;
  }
  return -1;
}

TEST(EventLogRecord, MalformedStreamsFailCleanly) {
  const Bytes settings = Cat({Str(""), Str("System"), U64(0), U32(0), U64(0), U64(0), U32(0), U32(1)});
  const Bytes newEvent = Cat({U16(0xFFFF), U16(1), U16(8), {'C', 'E', 'l', 'E', 'v', 'e', 'n', 't'}});
  const Bytes endOfEvent = Cat({Str(""), Str(""), Str(""), U16(0)});
  struct Case {
    const char* what;
    Bytes bytes;
    int cause;
  };
  const Case cases[] = {
      {"a record length of 1", Cat({settings, newEvent, U32(1), endOfEvent, U16(0)}),
       CArchiveException::badIndex},
      {"a record length of 3", Cat({settings, newEvent, U32(3), endOfEvent, U16(0)}),
       CArchiveException::badIndex},
      {"a record length beyond the stream", Cat({settings, newEvent, U32(0xFFFFFFF0u), endOfEvent}),
       CArchiveException::endOfFile},
      {"a record cut short", Cat({settings, newEvent, Bytes(kRecordA.begin(), kRecordA.begin() + 30)}),
       CArchiveException::endOfFile},
      {"texts cut short", Cat({settings, newEvent, kRecordA, Str("hello"), {9, 'a'}}),
       CArchiveException::endOfFile},
      {"an event whose next is itself", Cat({settings, newEvent, kRecordA, Str(""), Str(""), Str(""),
                                             U16(3)}),
       CArchiveException::badIndex},
      {"a last event outside the chain", Cat({settings, U16(0), newEvent, kRecordA, endOfEvent}),
       CArchiveException::badIndex},
      {"a first event of another class",
       Cat({settings, U16(0xFFFF), U16(1), U16(11), {'C', 'E', 'l', 'E', 'v', 'e', 'n', 't', 'L', 'o', 'g'}}),
       CArchiveException::badClass},
      {"a stream that ends in the settings", Bytes(settings.begin(), settings.begin() + 12),
       CArchiveException::endOfFile},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(LoadCause(c.bytes), c.cause);
  }
}

}  // namespace
