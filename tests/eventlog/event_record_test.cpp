// Bounded reads of a record: the parts found in whole and damaged records.
#include <gtest/gtest.h>

#include <functional>

#include "eventlog/event_record.h"
#include "platform/machine/event_record_builder.h"

namespace tov::eventlog {
namespace {

using Record = std::vector<uint8_t>;

void PutDword(Record& r, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) r[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

Record Build(std::vector<std::string> strings, std::vector<uint8_t> sid = {}) {
  machine::EventRecordFields fields;
  fields.source = "Src";
  fields.computer = "PC";
  fields.strings = std::move(strings);
  fields.sid = std::move(sid);
  return machine::BuildEventRecord(fields);
}

std::vector<std::string> Texts(const std::vector<const char*>& strings) {
  return std::vector<std::string>(strings.begin(), strings.end());
}

// Head 56, "Src\0" 60, "PC\0" 63, padded to 64: the SID (if any) and then
// the strings start there.
constexpr uint32_t kAfterNames = 64;

TEST(EventRecord, TheBuiltLayout) {
  Record r = Build({"a", "bc"});
  const EVENTLOGRECORD head = RecordHead(r.data());
  EXPECT_EQ(head.Length, r.size());
  EXPECT_EQ(head.Length % 4, 0u);
  EXPECT_EQ(head.StringOffset, kAfterNames);
  EXPECT_EQ(head.NumStrings, 2);
  EXPECT_EQ(r[r.size() - 4], r.size()) << "the closing copy of the length";
  EXPECT_EQ(RecordSourceName(r.data()), std::optional<std::string_view>("Src"));
}

TEST(EventRecord, InsertionStrings) {
  struct Case {
    const char* what;
    std::vector<std::string> strings;
    size_t limit;
    std::function<void(Record&)> damage;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"all of them", {"a", "", "c"}, 100, nullptr, {"a", "", "c"}},
      {"no more than the limit", {"a", "b", "c"}, 2, nullptr, {"a", "b"}},
      {"no more than NumStrings", {"a", "b", "c"}, 100, [](Record& r) { r[26] = 2; }, {"a", "b"}},
      {"more strings announced than the record holds", {"a"}, 100,
       [](Record& r) {
         r[26] = 9;
         PutDword(r, 0, kAfterNames + 2);
       },
       {"a"}},
      {"the last one without its NUL inside Length", {"a", "bc"}, 100,
       [](Record& r) { PutDword(r, 0, kAfterNames + 2 + 2); }, {"a"}},
      {"the offset beyond Length", {"a"}, 100,
       [](Record& r) { PutDword(r, 36, 0xFFFFFFF0u); }, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Record r = Build(c.strings);
    if (c.damage) c.damage(r);
    EXPECT_EQ(Texts(RecordStrings(r.data(), c.limit)), c.expected);
  }
}

TEST(EventRecord, SourceName) {
  Record r = Build({});
  PutDword(r, 0, 56);
  EXPECT_FALSE(RecordSourceName(r.data())) << "a record of only its head";
  PutDword(r, 0, 59);
  EXPECT_FALSE(RecordSourceName(r.data())) << "the NUL is the 60th byte";
  PutDword(r, 0, 60);
  EXPECT_EQ(RecordSourceName(r.data()), std::optional<std::string_view>("Src"));
}

TEST(EventRecord, UserSid) {
  const std::vector<uint8_t> sid = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};  // S-1-5-18
  struct Case {
    const char* what;
    std::vector<uint8_t> sid;
    std::function<void(Record&)> damage;
    bool found;
  };
  const Case cases[] = {
      {"a whole identifier", sid, nullptr, true},
      {"none", {}, nullptr, false},
      {"offset 0", sid, [](Record& r) { PutDword(r, 44, 0); }, false},
      {"one byte beyond Length", sid,
       [](Record& r) { PutDword(r, 40, static_cast<uint32_t>(r.size()) - kAfterNames + 1); },
       false},
      {"exactly up to Length", sid,
       [](Record& r) { PutDword(r, 40, static_cast<uint32_t>(r.size()) - kAfterNames); }, true},
      {"an offset and length whose sum wraps", sid,
       [](Record& r) { PutDword(r, 44, 0xFFFFFFFCu); PutDword(r, 40, 8); }, false},
      {"shorter than a SID head", sid, [](Record& r) { PutDword(r, 40, 7); }, false},
      {"more subauthorities than its length holds", sid, [](Record& r) { r[kAfterNames + 1] = 2; },
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Record r = Build({"s"}, c.sid);
    if (c.damage) c.damage(r);
    const BYTE* found = RecordUserSid(r.data());
    EXPECT_EQ(found != nullptr, c.found);
    if (found != nullptr) {
      EXPECT_EQ(found, r.data() + kAfterNames);
    }
  }
}

}  // namespace
}  // namespace tov::eventlog
