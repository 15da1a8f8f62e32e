// Rendering against the platform itself: message files built by the message
// compiler into resource-only DLLs beside this program, two event sources
// registered in the registry for the run, and the platform's event log.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "eventlog/el_event.h"
#include "eventlog/el_event_log.h"
#include "platform/machine/event_record_builder.h"
#include "tests/eventlog/message_insert_cases.h"

namespace tov::test {
namespace {

constexpr const char kLog[] = "TovTestLog";
constexpr const char kLogKey[] = "SYSTEM\\CurrentControlSet\\Services\\EventLog\\TovTestLog";
constexpr const char kDirVariable[] = "TOV_EVTEST_DIR";

// The folder of this program, where the build puts the message DLLs.
std::string ProgramFolder() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, n);
  return folder.substr(0, folder.find_last_of('\\'));
}

void SetValue(const std::string& key_path, const char* name, const std::string& text) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key_path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS)
      << key_path;
  EXPECT_EQ(RegSetValueExA(key, name, 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                           static_cast<DWORD>(text.size() + 1)),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

// Source "Listed" names its files by full path; source "Expanded" through an
// environment variable, after a file that does not exist and an empty name.
class WineMessageFiles : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kLogKey);  // what an interrupted run left
    const std::string dir = ProgramFolder();
    SetEnvironmentVariableA(kDirVariable, dir.c_str());
    const std::string listed = std::string(kLogKey) + "\\Listed";
    SetValue(listed, "EventMessageFile", dir + "\\evtest_first.dll;" + dir + "\\evtest_second.dll");
    SetValue(listed, "CategoryMessageFile", dir + "\\evtest_categories.dll");
    SetValue(listed, "ParameterMessageFile", dir + "\\evtest_parameters.dll");
    const std::string expanded = std::string(kLogKey) + "\\Expanded";
    SetValue(expanded, "EventMessageFile",
             "%TOV_EVTEST_DIR%\\evtest_missing.dll;;%TOV_EVTEST_DIR%\\evtest_second.dll");
  }
  static void TearDownTestSuite() {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kLogKey);
    SetEnvironmentVariableA(kDirVariable, nullptr);
  }

  CElEvent& Render(const char* source, DWORD id, std::vector<std::string> strings,
                   WORD category = 0, std::vector<uint8_t> sid = {}) {
    machine::EventRecordFields fields;
    fields.source = source;
    fields.computer = "WS01";
    fields.event_id = id;
    fields.strings = std::move(strings);
    fields.category = category;
    fields.sid = std::move(sid);
    record_ = machine::BuildEventRecord(fields);
    log_.m_strLogName = kLog;
    event_ = std::make_unique<CElEvent>();
    EXPECT_TRUE(event_->Init(&log_, record_.data()));
    return *event_;
  }

  CElEventLog log_;
  std::vector<uint8_t> record_;
  std::unique_ptr<CElEvent> event_;
};

TEST_F(WineMessageFiles, Descriptions) {
  const std::string fallback_middle =
      " ) cannot be found. The local computer may not have the necessary registry information "
      "or message DLL files to display messages from a remote computer. The following "
      "information is part of the event: ";
  struct Case {
    const char* what;
    const char* source;
    DWORD id;
    std::vector<std::string> strings;
    std::string expected;
  };
  const Case cases[] = {
      {"from the second of two files", "Listed", 1000, {"Spooler", "running"},
       "Service Spooler entered the running state."},
      {"through a variable, past a missing file and an empty name", "Expanded", 1000,
       {"Spooler", "stopped"}, "Service Spooler entered the stopped state."},
      {"a parameter reference", "Listed", 1001, {"%%1234"}, "Status the parameter text."},
      {"a letter after %% ends the expansion", "Listed", 1001, {"%%x %%1234"},
       "Status %%x %%1234."},
      {"a message no file holds", "Listed", 4242, {"a", "b"},
       "The description for Event ID ( 4242 ) in Source ( Listed" + fallback_middle + "a, b"},
      {"an unregistered source, low 16 bits", "Nobody", 0xC0000403, {"a"},
       "The description for Event ID ( 1027 ) in Source ( Nobody" + fallback_middle + "a"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Render(c.source, c.id, c.strings).m_strMessage, c.expected);
  }
}

TEST_F(WineMessageFiles, CategoryAndUser) {
  const std::vector<uint8_t> local_system = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};  // S-1-5-18
  CElEvent& e = Render("Listed", 1001, {"x"}, 3, local_system);
  EXPECT_EQ(e.m_strCategory, "Disk");
  EXPECT_EQ(e.m_strUser, "NT AUTHORITY\\SYSTEM");
  EXPECT_EQ(Render("Listed", 1001, {"x"}, 5).m_strCategory, "") << "a category the file lacks";
}

// The same insert table the Linux build checks against its own filling.
TEST(WineFormatMessage, InsertSyntaxMatchesTheTable) {
  for (const InsertCase& c : MessageInsertCases()) {
    SCOPED_TRACE(c.what);
    char* out = nullptr;
    std::vector<DWORD_PTR> args = c.args;
    args.resize(10);
    DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_STRING |
                                 FORMAT_MESSAGE_ARGUMENT_ARRAY,
                             c.text, 0, 0, reinterpret_cast<LPSTR>(&out), 0,
                             reinterpret_cast<va_list*>(args.data()));
    ASSERT_NE(n, 0u);
    EXPECT_EQ(std::string(out), c.expected);
    LocalFree(out);
  }
}

// The platform's logs open here but hold no records: a capture keeps its
// settings and no events.
TEST(WineEventLog, CaptureOfALogWithoutRecords) {
  CElEventLog log;
  log.m_strLogName = "System";
  HANDLE handle = OpenEventLogA(nullptr, "System");
  ASSERT_NE(handle, nullptr) << "the log opens";
  CloseEventLog(handle);
  const __time64_t before = _time64(nullptr);
  EXPECT_FALSE(log.Collect(CTimeSpan(864000))) << "the first read finds no record";
  EXPECT_EQ(log.m_dwFilter, 0x60u);
  EXPECT_EQ(log.m_timeStart.GetTime(), 0);
  EXPECT_EQ(log.m_spanWindow.GetTotalSeconds(), 864000);
  EXPECT_EQ(log.m_nMaxEvents, 200u);
  EXPECT_GE(log.m_timeCaptured.GetTime(), before);
  EXPECT_LE(log.m_timeCaptured.GetTime(), _time64(nullptr));
  EXPECT_EQ(log.m_nCount, 0u);
  EXPECT_EQ(log.m_pFirst, nullptr);
  EXPECT_EQ(log.m_hEventLog, nullptr);
}

}  // namespace
}  // namespace tov::test
