// The "eventLogs" section of a machine fixture: log name -> its records,
// oldest first, each given by its parts or as raw bytes.
#include <string>

#include "platform/machine/fixture_sections.h"
#include "win32_api.h"

namespace tov::machine {

namespace {

struct TypeName {
  const char* name;
  uint16_t type;
};

const TypeName kTypes[] = {
    {"SUCCESS", EVENTLOG_SUCCESS},
    {"ERROR", EVENTLOG_ERROR_TYPE},
    {"WARNING", EVENTLOG_WARNING_TYPE},
    {"INFORMATION", EVENTLOG_INFORMATION_TYPE},
    {"AUDIT_SUCCESS", EVENTLOG_AUDIT_SUCCESS},
    {"AUDIT_FAILURE", EVENTLOG_AUDIT_FAILURE},
};

uint16_t ParseType(const FixtureNode& node) {
  std::string name = node.Word();
  for (const TypeName& t : kTypes) {
    if (name == t.name) return t.type;
  }
  node.Fail("unknown event type \"" + name + "\"");
}

void ParseRecord(const FixtureNode& node, const Machine& machine, EventLog& log) {
  if (auto hex = node.Find("hex")) {
    node.AllowOnly({"hex"});
    log.Add(0).Raw(hex->Hex());
    return;
  }
  node.AllowOnly({"eventId", "source", "time", "ago", "type", "category", "strings", "user",
                  "computer", "data"});
  auto id = node.Find("eventId");
  if (!id) node.Fail("a record needs \"eventId\" (or \"hex\")");
  EventEntry& entry = log.Add(id->Uint32());
  auto time = node.Find("time");
  auto ago = node.Find("ago");
  if (time && ago) node.Fail("give \"time\" or \"ago\", not both");
  if (time) entry.At(time->Int64());
  if (ago) entry.At(machine.Now() - ago->Int64());
  if (auto source = node.Find("source")) entry.Source(source->Text());
  if (auto type = node.Find("type")) entry.Type(ParseType(*type));
  if (auto category = node.Find("category")) {
    uint32_t value = category->Uint32();
    if (value > 0xFFFF) category->Fail("a category is a number from 0 to 65535");
    entry.Category(static_cast<uint16_t>(value));
  }
  if (auto strings = node.Find("strings")) {
    std::vector<std::string> texts;
    for (const FixtureNode& s : strings->Elements()) texts.push_back(s.Text());
    if (texts.size() > 0xFFFF) strings->Fail("a record holds at most 65535 strings");
    entry.Strings(std::move(texts));
  }
  if (auto user = node.Find("user")) {
    std::optional<std::vector<uint8_t>> sid = SidFromText(user->Word());
    if (!sid) user->Fail("expected a SID as \"S-1-...\", found \"" + user->Word() + "\"");
    entry.UserSid(std::move(*sid));
  }
  if (auto computer = node.Find("computer")) entry.Computer(computer->Text());
  if (auto data = node.Find("data")) entry.Data(data->Hex());
}

}  // namespace

void ParseEventLogsSection(const FixtureNode& section, Machine& machine) {
  for (const auto& [name, body] : section.Members()) {
    body.AllowOnly({"refused", "records"});
    EventLog& log = machine.EventLogs().Log(name);
    if (auto refused = body.Find("refused")) {
      if (refused->Flag()) log.Refuse();
    }
    if (auto records = body.Find("records")) {
      for (const FixtureNode& record : records->Elements()) ParseRecord(record, machine, log);
    }
  }
}

}  // namespace tov::machine
