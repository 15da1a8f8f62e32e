// Rendering an event's description, category and user from the message files
// and accounts of a machine model.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "eventlog/el_event.h"
#include "eventlog/el_event_log.h"
#include "tests/eventlog/eventlog_test_machine.h"

namespace tov::test {
namespace {

using machine::EventRecordFields;
using machine::Machine;
using machine::ScopedMachine;
using Patch = std::function<void(std::vector<uint8_t>&)>;

constexpr const char kSystem32[] = "%SystemRoot%\\System32\\";
constexpr const char kFallbackMiddle[] =
    " ) cannot be found. The local computer may not have the necessary registry information "
    "or message DLL files to display messages from a remote computer. The following "
    "information is part of the event: ";

std::string Fallback(int code, const std::string& source, const std::string& strings) {
  return "The description for Event ID ( " + std::to_string(code) + " ) in Source ( " + source +
         kFallbackMiddle + strings;
}

void PutDword(std::vector<uint8_t>& record, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) record[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t GetDword(const std::vector<uint8_t>& record, size_t offset) {
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i) value |= uint32_t{record[offset + i]} << (8 * i);
  return value;
}

std::vector<std::string> Numbered(int count) {
  std::vector<std::string> strings;
  for (int i = 1; i <= count; ++i) strings.push_back("s" + std::to_string(i));
  return strings;
}

// Source "Svc" of the System log: its descriptions are in the second of two
// files, its categories and parameters in files of their own. Other sources
// and accounts are added by the tests.
class RenderTest : public ::testing::Test {
 protected:
  RenderTest() {
    m_.Now(kNow).Env("SystemRoot", "C:\\WINDOWS");
    m_.File("C:\\WINDOWS\\System32\\first.dll").Message(9999, "unrelated\r\n");
    m_.File("C:\\WINDOWS\\System32\\second.dll")
        .Message(1000, "Service %1 entered the %2 state.\r\n")
        .Message(1001, "Status %1.\r\n")
        .Message(1002, "%1 %99\r\n");
    m_.File("C:\\WINDOWS\\System32\\cats.dll").Message(3, "Disk\r\n");
    m_.File("C:\\WINDOWS\\System32\\params.dll")
        .Message(1234, "the parameter text\r\n")
        .Message(1235, "see %%%%1234\r\n")  // a "%%" reference, once formatted
        .Message(1236, "x%%%%1236");
    SourceKey(m_, "System", "Svc")
        .ExpandSz("EventMessageFile", std::string(kSystem32) + "first.dll;" + kSystem32 + "second.dll")
        .ExpandSz("CategoryMessageFile", std::string(kSystem32) + "cats.dll")
        .ExpandSz("ParameterMessageFile", std::string(kSystem32) + "params.dll");
  }

  // Builds the record, lets `patch` damage it, and renders it as an event of
  // the System log.
  CElEvent& Render(EventRecordFields fields, const Patch& patch = nullptr) {
    fields.computer = "WS01";
    record_ = machine::BuildEventRecord(fields);
    if (patch) patch(record_);
    ScopedMachine use(m_);
    log_.m_strLogName = "System";
    event_ = std::make_unique<CElEvent>();
    EXPECT_TRUE(event_->Init(&log_, record_.data()));
    EXPECT_EQ(m_.OpenHandles(), 0) << "every key and module released";
    return *event_;
  }

  static EventRecordFields Event(const char* source, uint32_t id,
                                 std::vector<std::string> strings = {}) {
    EventRecordFields fields;
    fields.source = source;
    fields.event_id = id;
    fields.strings = std::move(strings);
    return fields;
  }

  Machine m_;
  CElEventLog log_;
  std::vector<uint8_t> record_;
  std::unique_ptr<CElEvent> event_;
};

TEST_F(RenderTest, Descriptions) {
  SourceKey(m_, "System", "Gaps")
      .ExpandSz("EventMessageFile", std::string(";;C:\\missing.dll;;") + kSystem32 + "second.dll;");
  // Values stored without a NUL: 259 characters fit the 260-byte buffers with
  // the NUL the reader adds, 260 do not fit the expansion; 261 and a NUL do not
  // fit the raw read.
  std::string full = std::string("C:\\WINDOWS\\System32\\second.dll");
  full.insert(0, 259 - full.size(), ';');
  SourceKey(m_, "System", "Full").Raw("EventMessageFile", REG_EXPAND_SZ, {full.begin(), full.end()});
  const std::string brim = ";" + full;
  SourceKey(m_, "System", "Brim").Raw("EventMessageFile", REG_EXPAND_SZ, {brim.begin(), brim.end()});
  SourceKey(m_, "System", "Over").Sz("EventMessageFile", ";" + brim);
  m_.Env("LONG", std::string(300, 'x'));
  SourceKey(m_, "System", "Wide").ExpandSz("EventMessageFile", "%LONG%");
  const std::string long_source(250, 'L');
  SourceKey(m_, "System", long_source).ExpandSz("EventMessageFile", std::string(kSystem32) + "second.dll");
  // Message files that hold no message: no table at all, an empty text, a
  // text of line breaks only.
  m_.File("C:\\WINDOWS\\System32\\bare.dll");
  m_.File("C:\\WINDOWS\\System32\\blank.dll").Message(1001, "");
  m_.File("C:\\WINDOWS\\System32\\breaks.dll").Message(1001, "\r\n\r\n");
  SourceKey(m_, "System", "Bare").ExpandSz("EventMessageFile", std::string(kSystem32) + "bare.dll");
  SourceKey(m_, "System", "BareFirst")
      .ExpandSz("EventMessageFile", std::string(kSystem32) + "bare.dll;" + kSystem32 + "second.dll");
  SourceKey(m_, "System", "Blank")
      .ExpandSz("EventMessageFile", std::string(kSystem32) + "blank.dll;" + kSystem32 + "second.dll");
  SourceKey(m_, "System", "Breaks")
      .ExpandSz("EventMessageFile", std::string(kSystem32) + "breaks.dll;" + kSystem32 + "second.dll");

  struct Case {
    const char* what;
    EventRecordFields fields;
    std::string expected;
    Patch patch = nullptr;
  };
  const Case cases[] = {
      {"from the second of two files, line break trimmed", Event("Svc", 1000, {"Spooler", "running"}),
       "Service Spooler entered the running state."},
      {"empty names and a file that does not load are passed over",
       Event("Gaps", 1000, {"A", "B"}), "Service A entered the B state."},
      {"a value filling its buffer without a NUL", Event("Full", 1001, {"ok"}), "Status ok."},
      {"a value that fills its buffer", Event("Brim", 1001, {"ok"}), Fallback(1001, "Brim", "ok")},
      {"a value larger than its buffer", Event("Over", 1001, {"ok"}), Fallback(1001, "Over", "ok")},
      {"an expansion larger than its buffer", Event("Wide", 1001, {"ok"}),
       Fallback(1001, "Wide", "ok")},
      {"a key path too long", Event(long_source.c_str(), 1001, {"ok"}),
       Fallback(1001, long_source, "ok")},
      {"an unregistered source: low 16 bits and the strings",
       Event("Nobody", 0xC0000403, {"a", "b", "c"}), Fallback(1027, "Nobody", "a, b, c")},
      {"a registered source without the message", Event("Svc", 4242), Fallback(4242, "Svc", "")},
      {"a file without messages", Event("Bare", 1001, {"ok"}), Fallback(1001, "Bare", "ok")},
      {"a file without messages before the one with it", Event("BareFirst", 1001, {"ok"}),
       "Status ok."},
      {"an empty message is none: the next file's", Event("Blank", 1001, {"ok"}), "Status ok."},
      {"a message of line breaks is found and trimmed to nothing", Event("Breaks", 1001, {"ok"}), ""},
      {"insert 99 of the first 100", Event("Svc", 1002, Numbered(120)), "s1 s99"},
      {"the fallback lists all 120 strings", Event("Nobody", 7, Numbered(120)),
       Fallback(7, "Nobody", [] {
         std::string all = "s1";
         for (int i = 2; i <= 120; ++i) all += ", s" + std::to_string(i);
         return all;
       }())},
      {"a last string that runs past Length is left out", Event("Nobody", 7, {"a", "bb"}),
       Fallback(7, "Nobody", "a"),
       [](std::vector<uint8_t>& r) {
         // Cut the record right after "bb", before its NUL.
         const uint32_t end = GetDword(r, 36) + 2 + 2;
         PutDword(r, 0, end);
       }},
      {"a source name that runs past Length", Event("Nobody", 7), Fallback(7, "Unknown", ""),
       [](std::vector<uint8_t>& r) { PutDword(r, 0, 58); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CElEvent& e = Render(c.fields, c.patch);
    EXPECT_EQ(e.m_strMessage, c.expected);
  }
}

TEST_F(RenderTest, ARecordOfOnlyItsHeadHasNoSourceKey) {
  EventRecordFields fields = Event("Svc", 1000, {"x"});
  CElEvent& e = Render(fields, [](std::vector<uint8_t>& r) {
    r.resize(56);
    PutDword(r, 0, 56);
  });
  EXPECT_EQ(e.m_strMessage, Fallback(1000, "Unknown", ""));
  EXPECT_EQ(m_.Calls("RegOpenKeyExA"), 0);
}

TEST_F(RenderTest, ParameterReferences) {
  struct Case {
    const char* what;
    std::string insert;
    std::string expected;
  };
  const Case cases[] = {
      {"replaced by the parameter file's text", "%%1234", "Status the parameter text."},
      {"a parameter text's own reference is expanded too", "%%1235",
       "Status see the parameter text."},
      {"a letter after %% ends the expansion", "%%x then %%1234", "Status %%x then %%1234."},
      {"the number 0 ends it", "%%0 then %%1234", "Status %%0 then %%1234."},
      {"a number no file holds ends it", "%%77 then %%1234", "Status %%77 then %%1234."},
      {"a number beyond 32 bits ends it", "%%4294967296", "Status %%4294967296."},
      {"a text that refers to itself stops at the bound", "%%1236",
       "Status " + std::string(CElEvent::kMaxParameterReplacements - 1, 'x') + "x%%1236."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CElEvent& e = Render(Event("Svc", 1001, {c.insert}));
    EXPECT_EQ(e.m_strMessage, c.expected);
  }
}

TEST_F(RenderTest, ExpandParametersSaysWhetherAReferenceIsLeft) {
  CElEvent& e = Render(Event("Svc", 1001, {"done"}));
  ScopedMachine use(m_);
  std::string text = "a %%1234 b";
  EXPECT_TRUE(e.ExpandParameters(text));
  EXPECT_EQ(text, "a the parameter text b");
  text = "a %%1236";
  const int loads_before = m_.Calls("LoadLibraryExA");
  EXPECT_FALSE(e.ExpandParameters(text));
  EXPECT_EQ(m_.Calls("LoadLibraryExA") - loads_before, CElEvent::kMaxParameterReplacements);
}

TEST_F(RenderTest, Categories) {
  struct Case {
    const char* what;
    uint16_t category;
    std::string expected;
  };
  const Case cases[] = {
      {"from the category file", 3, "Disk"},
      {"none", 0, ""},
      {"a number the file lacks", 5, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EventRecordFields fields = Event("Svc", 1001, {"x"});
    fields.category = c.category;
    EXPECT_EQ(Render(fields).m_strCategory, c.expected);
  }
}

TEST_F(RenderTest, Users) {
  m_.Account("S-1-5-18", "NT AUTHORITY", "SYSTEM");
  m_.Account("S-1-5-21-1-2-3-1001", "", "alice");
  const std::vector<uint8_t> system = *machine::SidFromText("S-1-5-18");
  struct Case {
    const char* what;
    std::string sid;
    std::string expected;
    bool lookup_result;
    Patch patch = nullptr;
  };
  const Case cases[] = {
      {"domain and name", "S-1-5-18", "NT AUTHORITY\\SYSTEM", true},
      {"an account without a domain", "S-1-5-21-1-2-3-1001", "\\alice", true},
      {"no identifier", "", "", true},
      {"an identifier no account has", "S-1-5-21-9", "", false},
      {"an identifier partly beyond Length", "S-1-5-18", "", true,
       [](std::vector<uint8_t>& r) { PutDword(r, 40, GetDword(r, 0) - GetDword(r, 44) + 1); }},
      {"an offset that wraps past 32 bits", "S-1-5-18", "", true,
       [](std::vector<uint8_t>& r) { PutDword(r, 44, 0xFFFFFFF0u); PutDword(r, 40, 0x20); }},
      {"more subauthorities than its stated length", "S-1-5-18", "", true,
       [](std::vector<uint8_t>& r) { r[GetDword(r, 44) + 1] = 15; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EventRecordFields fields = Event("Svc", 1001, {"x"});
    if (!c.sid.empty()) fields.sid = *machine::SidFromText(c.sid);
    CElEvent& e = Render(fields, c.patch);
    EXPECT_EQ(e.m_strUser, c.expected);
    ScopedMachine use(m_);
    EXPECT_EQ(e.LookupUser(), c.lookup_result ? TRUE : FALSE);
  }
}

}  // namespace
}  // namespace tov::test
