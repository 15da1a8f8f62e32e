// Capturing a log over a machine model: which records a capture keeps, where
// it stops, and what a failed capture leaves.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "eventlog/el_event.h"
#include "eventlog/el_event_log.h"
#include "eventlog/event_record.h"
#include "tests/eventlog/eventlog_test_machine.h"

namespace tov::test {
namespace {

using machine::EventRecordFields;
using machine::Machine;
using machine::ScopedMachine;

// TimeGenerated of each event of the chain, newest first.
std::vector<int64_t> Times(const CElEventLog& log) {
  std::vector<int64_t> times;
  for (const CElEvent* e = log.m_pFirst; e != nullptr; e = e->m_pNext) {
    times.push_back(eventlog::RecordHead(e->m_pRecord).TimeGenerated);
  }
  return times;
}

void ExpectCaptureSettings(const CElEventLog& log) {
  EXPECT_EQ(log.m_dwFilter, 0x60u);
  EXPECT_EQ(log.m_timeStart.GetTime(), 0);
  EXPECT_EQ(log.m_spanWindow.GetTotalSeconds(), kWindow);
  EXPECT_EQ(log.m_nMaxEvents, 200u);
  EXPECT_EQ(log.m_timeCaptured.GetTime(), kNow);
  EXPECT_EQ(log.m_hEventLog, nullptr);
}

class CaptureTest : public ::testing::Test {
 protected:
  CaptureTest() { m_.Now(kNow); }

  // Adds a record of `log` generated at `time` (the newest so far).
  machine::EventEntry& Add(int64_t time, const char* log = "System") {
    return m_.AddEvent(log, 7036).Source("Service Control Manager").At(time);
  }

  BOOL Capture(CElEventLog& log, const char* name = "System") {
    ScopedMachine use(m_);
    log.m_strLogName = name;
    BOOL result = log.Collect(CTimeSpan(kWindow));
    EXPECT_EQ(m_.OpenHandles(), 0) << "every log, key and module released";
    return result;
  }

  Machine m_;
};

TEST_F(CaptureTest, KeepsEveryRecordOfTheWindowNewestFirstUntilTheEnd) {
  for (int i = 5; i >= 1; --i) Add(kNow - 100 * i);
  CElEventLog log;
  EXPECT_TRUE(Capture(log));
  ExpectCaptureSettings(log);
  EXPECT_EQ(log.m_nCount, 5u);
  EXPECT_EQ(Times(log), (std::vector<int64_t>{kNow - 100, kNow - 200, kNow - 300, kNow - 400,
                                              kNow - 500}));
  EXPECT_EQ(eventlog::RecordHead(log.m_pLast->m_pRecord).TimeGenerated, kNow - 500);
  for (const CElEvent* e = log.m_pFirst; e != nullptr; e = e->m_pNext) {
    EXPECT_EQ(e->m_pLog, &log);
    EXPECT_TRUE(e->m_bOwnsRecord);
  }
}

TEST_F(CaptureTest, KeepsTheTwoHundredNewestOfALongerLog) {
  for (int i = 250; i >= 1; --i) Add(kNow - i);
  CElEventLog log;
  EXPECT_TRUE(Capture(log));
  EXPECT_EQ(log.m_nCount, 200u);
  std::vector<int64_t> times = Times(log);
  ASSERT_EQ(times.size(), 200u);
  EXPECT_EQ(times.front(), kNow - 1);
  EXPECT_EQ(times.back(), kNow - 200);
}

// The window test is TimeGenerated + 1 >= now - window; the first record that
// fails it ends the capture, even when older positions hold newer times.
TEST_F(CaptureTest, WindowBoundaryEndsTheCapture) {
  struct Case {
    int64_t boundary_time;
    bool kept;
  };
  for (const Case c : {Case{kNow - kWindow - 1, true}, Case{kNow - kWindow - 2, false}}) {
    SCOPED_TRACE(c.boundary_time);
    const std::string name = "W" + std::to_string(c.kept);
    Add(kNow - 10, name.c_str());  // oldest position, recent time: after a stop it stays out
    Add(c.boundary_time, name.c_str());
    Add(kNow - 5, name.c_str());
    CElEventLog log;
    EXPECT_TRUE(Capture(log, name.c_str()));
    std::vector<int64_t> expected = {kNow - 5};
    if (c.kept) expected = {kNow - 5, c.boundary_time, kNow - 10};
    EXPECT_EQ(Times(log), expected);
  }
}

TEST_F(CaptureTest, ARecordLargerThanTheBufferEndsTheCapture) {
  Add(kNow - 40);
  Add(kNow - 30).Data(std::vector<uint8_t>(5000, 0xAB));
  Add(kNow - 20);
  Add(kNow - 10);
  CElEventLog log;
  EXPECT_TRUE(Capture(log));
  EXPECT_EQ(Times(log), (std::vector<int64_t>{kNow - 10, kNow - 20}));

  Add(kNow - 10, "Big").Data(std::vector<uint8_t>(5000, 0xAB));
  CElEventLog big;
  EXPECT_FALSE(Capture(big, "Big")) << "the first read fails";
  ExpectCaptureSettings(big);
  EXPECT_EQ(big.m_nCount, 0u);
}

TEST_F(CaptureTest, ALogThatCannotBeOpenedKeepsTheSettingsAndNoEvents) {
  m_.EventLogs().Log("Security").Refuse();
  for (const char* name : {"Norvan", "Security"}) {
    SCOPED_TRACE(name);
    CElEventLog log;
    EXPECT_FALSE(Capture(log, name));
    ExpectCaptureSettings(log);
    EXPECT_EQ(log.m_nCount, 0u);
    EXPECT_EQ(log.m_pFirst, nullptr);
    EXPECT_EQ(log.m_pLast, nullptr);
  }
}

TEST_F(CaptureTest, AnEmptyLogGivesNoEventsAndAFailedFirstRead) {
  m_.EventLogs().Log("System");
  CElEventLog log;
  EXPECT_FALSE(Capture(log));
  ExpectCaptureSettings(log);
  EXPECT_EQ(log.m_nCount, 0u);
}

// A damaged record ends the walk of its read buffer; what follows it in that
// buffer is lost, and the next read goes on.
TEST_F(CaptureTest, ADamagedRecordEndsItsBatchAndTheNextBatchIsRead) {
  struct Case {
    const char* what;
    uint32_t length;
  };
  const Case cases[] = {
      {"length 0", 0},
      {"length below the head", 20},
      {"length 55", 55},
      {"length past the bytes read", 3000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string name = c.what;
    Add(kNow - 50, name.c_str());                                      // batch 2
    Add(kNow - 40, name.c_str()).Data(std::vector<uint8_t>(2100, 1));  // batch 2: no room in 1
    Add(kNow - 30, name.c_str());                                      // batch 1, lost
    EventRecordFields fields;
    fields.time_generated = static_cast<uint32_t>(kNow - 35);
    std::vector<uint8_t> damaged = machine::BuildEventRecord(fields);
    for (int i = 0; i < 4; ++i) damaged[i] = static_cast<uint8_t>(c.length >> (8 * i));
    m_.AddEvent(name, 1).Raw(damaged);                                   // batch 1
    Add(kNow - 10, name.c_str()).Data(std::vector<uint8_t>(1900, 2));  // batch 1
    CElEventLog log;
    EXPECT_TRUE(Capture(log, name.c_str()));
    EXPECT_EQ(Times(log), (std::vector<int64_t>{kNow - 10, kNow - 40, kNow - 50}));
  }
}

TEST_F(CaptureTest, ARecordOfExactlyTheHeadIsKept) {
  EventRecordFields fields;
  fields.time_generated = static_cast<uint32_t>(kNow - 1);
  std::vector<uint8_t> head = machine::BuildEventRecord(fields);
  head.resize(56);
  head[0] = 56;
  m_.AddEvent("System", 1).Raw(head);
  CElEventLog log;
  EXPECT_TRUE(Capture(log));
  ASSERT_EQ(log.m_nCount, 1u);
  EXPECT_EQ(eventlog::RecordHead(log.m_pFirst->m_pRecord).Length, 56u);
}

// A record at the read buffer's size: up to 4096 bytes it arrives in a batch
// of its own and is kept byte for byte; 4100 bytes cannot be read, so the
// capture ends with the records newer than it.
TEST(CaptureAtTheBufferSize, RecordsOf4092To4100Bytes) {
  const struct {
    size_t length;
    std::vector<int64_t> kept;
  } cases[] = {
      {4092, {kNow - 10, kNow - 20, kNow - 30}},
      {4096, {kNow - 10, kNow - 20, kNow - 30}},
      {4100, {kNow - 10}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.length);
    EventRecordFields fields;
    fields.time_generated = static_cast<uint32_t>(kNow - 20);
    fields.event_id = 9;
    fields.source = "Big";
    fields.computer = "PC";
    const size_t base = machine::BuildEventRecord(fields).size();
    fields.data.resize(c.length - base);
    for (size_t i = 0; i < fields.data.size(); ++i) fields.data[i] = static_cast<uint8_t>(i);
    const std::vector<uint8_t> record = machine::BuildEventRecord(fields);
    ASSERT_EQ(record.size(), c.length);

    Machine m;
    m.Now(kNow);
    m.AddEvent("System", 7036).Source("Service Control Manager").At(kNow - 30);
    m.AddEvent("System", 9).Raw(record);
    m.AddEvent("System", 7036).Source("Service Control Manager").At(kNow - 10);
    CElEventLog log;
    log.m_strLogName = "System";
    {
      ScopedMachine use(m);
      EXPECT_TRUE(log.Collect(CTimeSpan(kWindow)));
    }
    EXPECT_EQ(m.OpenHandles(), 0);
    EXPECT_EQ(Times(log), c.kept);
    if (c.kept.size() > 1) {
      const CElEvent* big = log.m_pFirst->m_pNext;
      ASSERT_EQ(eventlog::RecordHead(big->m_pRecord).Length, c.length);
      EXPECT_TRUE(std::equal(record.begin(), record.end(), big->m_pRecord));
    }
  }
}

// The filter bits one by one and together, with the clock read only where
// the window is measured from now.
TEST(TestRecord, FilterBitsDecideSkipAndStop) {
  constexpr int64_t kSpan = 1000;
  struct Case {
    const char* what;
    DWORD filter;
    int64_t start;
    WORD type;
    int64_t time;
    DWORD count;
    bool skip;
    bool stop;
    bool reads_clock;
  };
  const Case cases[] = {
      {"no bits", 0, 0, 4, kNow - 5000, 9, false, false, false},
      {"skip error", EL_SKIP_ERROR, 0, 1, kNow, 0, true, false, false},
      {"skip error lets a warning pass", EL_SKIP_ERROR, 0, 2, kNow, 0, false, false, false},
      {"skip warning", EL_SKIP_WARNING, 0, 2, kNow, 0, true, false, false},
      {"skip information", EL_SKIP_INFORMATION, 0, 4, kNow, 0, true, false, false},
      {"skip audit success", EL_SKIP_AUDIT, 0, 8, kNow, 0, true, false, false},
      {"skip audit failure", EL_SKIP_AUDIT, 0, 16, kNow, 0, true, false, false},
      {"every skip bit, type 0", 0x0F, 0, 0, kNow, 0, false, false, false},
      {"older than the start", EL_SINCE_START, kNow - 100, 4, kNow - 102, 0, true, true, false},
      {"one second after the start", EL_SINCE_START, kNow - 100, 4, kNow - 101, 0, false, false,
       false},
      {"recent: at the window's edge", EL_RECENT, 0, 4, kNow - kSpan - 1, 0, false, false, true},
      {"recent: beyond the edge", EL_RECENT, 0, 4, kNow - kSpan - 2, 0, true, true, true},
      {"recent from the start: after its window", EL_SINCE_START | EL_RECENT, kNow - 5000, 4,
       kNow - 3000, 0, true, false, false},
      {"recent from the start: inside it, old for now", EL_SINCE_START | EL_RECENT, kNow - 5000,
       4, kNow - 4500, 0, true, true, true},
      {"count reached", EL_MAX_COUNT, 0, 4, kNow, 2, true, true, false},
      {"count below", EL_MAX_COUNT, 0, 4, kNow, 1, false, false, false},
      {"a time that wraps to 0 is old", EL_RECENT, 0, 4, 0xFFFFFFFF, 0, true, true, true},
      {"a skipped type still stops", EL_MAX_COUNT | EL_SKIP_ERROR, 0, 1, kNow, 2, true, true,
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Machine m;
    m.Now(kNow);
    ScopedMachine use(m);
    EventRecordFields fields;
    fields.time_generated = static_cast<uint32_t>(c.time);
    fields.event_type = c.type;
    std::vector<uint8_t> record = machine::BuildEventRecord(fields);
    CElEventLog log;
    log.m_dwFilter = c.filter;
    log.m_timeStart = CTime(c.start);
    log.m_spanWindow = CTimeSpan(kSpan);
    log.m_nMaxEvents = 2;
    log.m_nCount = c.count;
    BOOL stop = TRUE;
    EXPECT_EQ(log.TestRecord(record.data(), stop), c.skip ? TRUE : FALSE);
    EXPECT_EQ(stop, c.stop ? TRUE : FALSE);
    EXPECT_EQ(m.Calls("_time64") > 0, c.reads_clock);
  }
}

}  // namespace
}  // namespace tov::test
