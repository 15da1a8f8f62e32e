// The live source's event logs over a captured journal (made by
// tests/fixtures/live-journal/generate at build time), captured and rendered
// by the event log collector as on Windows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "eventlog/el_event.h"
#include "eventlog/el_event_log.h"
#include "eventlog/event_record.h"
#include "platform/machine/current_machine.h"
#include "platform/machine/live/live_source.h"
#include "tests/eventlog/eventlog_test_machine.h"

namespace tov::test {
namespace {

using machine::Machine;
using machine::live::LiveRoot;

// The generator's first entry is at kStart, the others a minute apart.
constexpr int64_t kStart = 1765400000;

struct Expected {
  int minute;  // after kStart
  const char* source;
  DWORD event_id;
  WORD type;
  const char* category;
  const char* message;
  const char* user;
};

class LiveEventLogs : public ::testing::Test {
 protected:
  void SetUp() override {
    m_.Now(kStart + 3600);
    machine::live::LoadLiveEventLogs(LiveRoot{TOV_LIVE_JOURNAL_ROOT}, m_);
  }

  void Capture(CElEventLog& log, const char* name) {
    machine::ScopedMachine use(m_);
    log.m_strLogName = name;
    log.Collect(CTimeSpan(kWindow));
  }

  // Checks the captured events, newest first, against `expected`.
  static void Check(const CElEventLog& log, const std::vector<Expected>& expected) {
    ASSERT_EQ(log.m_nCount, expected.size());
    const CElEvent* e = log.m_pFirst;
    for (const Expected& x : expected) {
      SCOPED_TRACE(x.message);
      ASSERT_NE(e, nullptr);
      EVENTLOGRECORD head = eventlog::RecordHead(e->m_pRecord);
      EXPECT_EQ(head.TimeGenerated, static_cast<DWORD>(kStart + 60 * x.minute));
      EXPECT_EQ(head.EventID, x.event_id);
      EXPECT_EQ(head.EventType, x.type);
      std::string_view source = eventlog::RecordSourceName(e->m_pRecord).value_or("");
      EXPECT_EQ(source, x.source);
      EXPECT_STREQ(reinterpret_cast<const char*>(e->m_pRecord) + 56 + source.size() + 1, "debian12");
      EXPECT_EQ(e->m_strCategory, x.category);
      EXPECT_EQ(e->m_strMessage, x.message);
      EXPECT_EQ(e->m_strUser, x.user);
      e = e->m_pNext;
    }
  }

  Machine m_;
};

TEST_F(LiveEventLogs, SystemHoldsAllButTheAuthFacilities) {
  CElEventLog log;
  Capture(log, "System");
  const std::string backup = log.m_nCount > 2 ? log.m_pFirst->m_pNext->m_pNext->m_strMessage : "";
  Check(log, {
      // no account for the user ID; a backslash in the identifier
      {10, "tools/agent", 7, EVENTLOG_INFORMATION_TYPE, "local0", "started", ""},
      // a NUL in a binary message
      {9, "dumper", 6, EVENTLOG_INFORMATION_TYPE, "user", "dump header dump body",
       "WORKSTATION\\root"},
      {8, "backup", 4, EVENTLOG_WARNING_TYPE, "daemon", backup.c_str(), "WORKSTATION\\root"},
      // the kernel's entries carry no user
      {7, "kernel", 4, EVENTLOG_WARNING_TYPE, "kern",
       "CPU0: Core temperature above threshold, cpu clock throttled (total events = 1)", ""},
      // no priority, facility or identifier: information, no category, the command
      {6, "python3", 6, EVENTLOG_INFORMATION_TYPE, "", "worker pool resized to 4",
       "WORKSTATION\\messagebus"},
      {5, "norvan", 3, EVENTLOG_ERROR_TYPE, "daemon", "signature update failed: connection timed out",
       "WORKSTATION\\norvan"},
      {4, "norvan", 6, EVENTLOG_INFORMATION_TYPE, "daemon", "scan finished: 0 threats in 1523 files",
       "WORKSTATION\\norvan"},
      {1, "systemd", 6, EVENTLOG_INFORMATION_TYPE, "daemon",
       "Started cron.service - Regular background program processing daemon.", "WORKSTATION\\root"},
      {0, "kernel", 5, EVENTLOG_INFORMATION_TYPE, "kern",
       "Linux version 6.1.0-18-amd64 (debian-kernel@lists.debian.org) (gcc-12 (Debian 12.2.0-14) "
       "12.2.0) #1 SMP PREEMPT_DYNAMIC Debian 6.1.76-1 (2024-02-01)",
       ""},
  });
  // The long entry is shortened so that its record fits one read batch, and
  // the capture goes on past it to the older entries.
  EXPECT_EQ(backup.rfind("backup report: volume0000 ok; volume0001 ok; ", 0), 0u);
  EXPECT_EQ(backup.substr(backup.size() - 3), "...");
  ASSERT_GT(log.m_nCount, 2u);
  EXPECT_LE(eventlog::RecordHead(log.m_pFirst->m_pNext->m_pNext->m_pRecord).Length, 4096u);
  EXPECT_GT(backup.size(), 3900u);
  EXPECT_EQ(m_.OpenHandles(), 0);
}

TEST_F(LiveEventLogs, SecurityHoldsAuthAndAuthpriv) {
  CElEventLog log;
  Capture(log, "Security");
  Check(log, {
      {3, "sudo", 5, EVENTLOG_INFORMATION_TYPE, "authpriv",
       "   alice : TTY=pts/0 ; PWD=/home/alice ; USER=root ; COMMAND=/usr/bin/systemctl restart norvan",
       "WORKSTATION\\alice"},
      {2, "sshd", 6, EVENTLOG_INFORMATION_TYPE, "auth",
       "Accepted publickey for alice from 192.0.2.10 port 50122 ssh2: ED25519 "
       "SHA256:8Zq3mJc0xkVQe1bq7Yb2nJ0bX1y9s3o1qkJw0fP5p4E",
       "WORKSTATION\\root"},
  });
}

TEST_F(LiveEventLogs, NorvanHoldsTheAgentsEntries) {
  CElEventLog log;
  Capture(log, "Norvan");
  Check(log, {
      {5, "norvan", 3, EVENTLOG_ERROR_TYPE, "daemon", "signature update failed: connection timed out",
       "WORKSTATION\\norvan"},
      {4, "norvan", 6, EVENTLOG_INFORMATION_TYPE, "daemon", "scan finished: 0 threats in 1523 files",
       "WORKSTATION\\norvan"},
  });
}

TEST(LiveEventLogsRoot, WithoutAJournalTheLogsOpenEmpty) {
  Machine m;
  m.Now(kStart);
  machine::live::LoadLiveEventLogs(LiveRoot{TOV_FIXTURES_DIR "/no-such-tree"}, m);
  for (const char* name : {"System", "Security", "Norvan"}) {
    ASSERT_NE(m.EventLogs().Find(name), nullptr) << name;
    EXPECT_TRUE(m.EventLogs().Find(name)->Entries().empty()) << name;
    machine::ScopedMachine use(m);
    HANDLE h = OpenEventLogA(nullptr, name);
    EXPECT_NE(h, nullptr) << name;
    CloseEventLog(h);
  }
}

}  // namespace
}  // namespace tov::test
