// Event logs, message tables and accounts from a JSON fixture: a capture over
// a fixture machine renders as over a built one, and faults name their place.
#include <gtest/gtest.h>

#include <string>

#include "eventlog/el_event.h"
#include "eventlog/el_event_log.h"
#include "platform/machine/fixture_loader.h"
#include "tests/eventlog/eventlog_test_machine.h"

namespace tov::test {
namespace {

using machine::Machine;

constexpr const char kFixture[] = R"({
  "computer": { "name": "WS-0815", "now": 1700000000 },
  "environment": { "SystemRoot": "C:\\WINDOWS" },
  "registry": {
    "SYSTEM\\CurrentControlSet\\Services\\EventLog\\System\\Disk": { "values": [
      { "name": "EventMessageFile", "type": "REG_EXPAND_SZ", "data": "%SystemRoot%\\System32\\disk.dll" },
      { "name": "CategoryMessageFile", "type": "REG_EXPAND_SZ", "data": "%SystemRoot%\\System32\\disk.dll" }
    ] }
  },
  "files": {
    "C:\\WINDOWS\\System32\\disk.dll": { "messages": {
      "0xC0000403": "Disk %1 has a bad block.\r\n", "3": "Disk\r\n" } }
  },
  "eventLogs": {
    "System": { "records": [
      { "eventId": 1, "source": "Old", "ago": 900000 },
      { "eventId": 3221226499, "source": "Disk", "ago": 60, "type": "ERROR", "category": 3,
        "strings": ["\\Device\\Harddisk0"], "user": "S-1-5-18", "data": "01 02" }
    ] },
    "Security": { "refused": true }
  },
  "accounts": { "S-1-5-18": { "domain": "NT AUTHORITY", "name": "SYSTEM" } }
})";

TEST(EventLogFixture, ACaptureRendersFromTheFixture) {
  Machine m;
  std::string error;
  ASSERT_TRUE(machine::ParseMachineFixture(kFixture, "fixture.json", m, &error)) << error;
  machine::ScopedMachine use(m);
  CElEventLog log;
  log.m_strLogName = "System";
  EXPECT_TRUE(log.Collect(CTimeSpan(kWindow)));
  ASSERT_EQ(log.m_nCount, 1u) << "the older record lies outside the window";
  const CElEvent& e = *log.m_pFirst;
  EXPECT_EQ(e.m_strMessage, "Disk \\Device\\Harddisk0 has a bad block.");
  EXPECT_EQ(e.m_strCategory, "Disk");
  EXPECT_EQ(e.m_strUser, "NT AUTHORITY\\SYSTEM");

  CElEventLog security;
  security.m_strLogName = "Security";
  EXPECT_FALSE(security.Collect(CTimeSpan(kWindow)));
  EXPECT_EQ(m.OpenHandles(), 0);
}

TEST(EventLogFixture, FaultsNameTheirPlace) {
  struct Case {
    const char* json;
    const char* error;
  };
  const Case cases[] = {
      {R"({"eventLogs": {"S": {"records": [{"source": "x"}]}}})",
       "/eventLogs/S/records/0: a record needs \"eventId\" (or \"hex\")"},
      {R"({"eventLogs": {"S": {"records": [{"eventId": 1, "type": "FATAL"}]}}})",
       "/eventLogs/S/records/0/type: unknown event type \"FATAL\""},
      {R"({"eventLogs": {"S": {"records": [{"eventId": 1, "category": 65536}]}}})",
       "/eventLogs/S/records/0/category: a category is a number from 0 to 65535"},
      {R"({"eventLogs": {"S": {"records": [{"eventId": 1, "user": "S-1-x"}]}}})",
       "/eventLogs/S/records/0/user: expected a SID as \"S-1-...\", found \"S-1-x\""},
      {R"({"eventLogs": {"S": {"records": [{"eventId": 1, "time": 5, "ago": 5}]}}})",
       "/eventLogs/S/records/0: give \"time\" or \"ago\", not both"},
      {R"({"eventLogs": {"S": {"refused": "yes"}}})", "/eventLogs/S/refused: expected true or false"},
      {R"({"accounts": {"S-1-5": {"domain": "D"}}})", "/accounts/S-1-5: an account needs a \"name\""},
      {R"({"accounts": {"alice": {"name": "a"}}})",
       "/accounts/alice: the member name is not a SID (\"S-1-...\")"},
      {R"({"files": {"C:\\a.dll": {"messages": {"12x": "t"}}}})",
       "/files/C:\\a.dll/messages/12x: a message number is decimal or 0x hexadecimal, below 2^32"},
      {R"({"files": {"C:\\a.dll": {"messages": {"4294967296": "t"}}}})",
       "/files/C:\\a.dll/messages/4294967296: a message number is decimal or 0x hexadecimal, below 2^32"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.json);
    Machine m;
    std::string error;
    EXPECT_FALSE(machine::ParseMachineFixture(c.json, "f.json", m, &error));
    EXPECT_EQ(error, std::string("f.json: ") + c.error);
  }
}

TEST(EventLogFixture, RawRecordsArePassedOnAsGiven) {
  Machine m;
  std::string error;
  ASSERT_TRUE(machine::ParseMachineFixture(
      R"({"eventLogs": {"S": {"records": [{"hex": "08 00 00 00 aa bb cc dd"}]}}})", "f.json", m,
      &error))
      << error;
  const auto& entries = m.EventLogs().Find("S")->Entries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].Bytes(1, "PC"), (std::vector<uint8_t>{8, 0, 0, 0, 0xaa, 0xbb, 0xcc, 0xdd}));
}

}  // namespace
}  // namespace tov::test
