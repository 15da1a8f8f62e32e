/// The event logs of the machine: each log, by name (any letter case), holds
/// its records oldest first, and ReadEventLogA hands them out newest first as
/// raw EVENTLOGRECORD byte blocks. A record is made from its parts:
///
///   m.AddEvent("System", 7036).Source("Service Control Manager").At(now - 60)
///       .Strings({"Print Spooler", "running"});
///
/// or given as bytes (Raw) when a test needs a malformed one.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/machine/event_record_builder.h"
#include "platform/machine/text_case.h"

namespace tov::machine {

/// One record of a log; its setters are the builder.
class EventEntry {
 public:
  explicit EventEntry(uint32_t event_id) { fields_.event_id = event_id; }

  EventEntry& Source(std::string_view name);
  /// TimeGenerated (and TimeWritten), in seconds since 1970-01-01 UTC; the
  /// record holds the low 32 bits.
  EventEntry& At(int64_t seconds);
  EventEntry& Type(uint16_t event_type);
  EventEntry& Category(uint16_t category);
  EventEntry& Strings(std::vector<std::string> strings);
  /// The user, as SID text ("S-1-5-18"); throws std::invalid_argument for bad text.
  EventEntry& User(std::string_view sid_text);
  /// The user's SID as bytes, taken as they are.
  EventEntry& UserSid(std::vector<uint8_t> sid);
  /// The computer that wrote the record (the machine's name unless set).
  EventEntry& Computer(std::string_view name);
  EventEntry& Data(std::vector<uint8_t> data);
  /// Hands out exactly these bytes instead of a record built from the parts.
  EventEntry& Raw(std::vector<uint8_t> bytes);

  /// The bytes ReadEventLogA returns for this record.
  std::vector<uint8_t> Bytes(uint32_t record_number, std::string_view machine_computer) const;

 private:
  EventRecordFields fields_;
  bool computer_set_ = false;
  std::optional<std::vector<uint8_t>> raw_;
};

/// One log: its records, oldest first.
class EventLog {
 public:
  /// Appends a record (the newest so far) and returns it for its builder calls.
  EventEntry& Add(uint32_t event_id);
  const std::vector<EventEntry>& Entries() const { return entries_; }

  /// The log exists but OpenEventLogA refuses it (ERROR_ACCESS_DENIED).
  EventLog& Refuse() {
    refused_ = true;
    return *this;
  }
  bool Refused() const { return refused_; }

 private:
  std::vector<EventEntry> entries_;
  bool refused_ = false;
};

/// All logs of the machine.
class EventLogSet {
 public:
  /// The log called `name`, added (empty) when it is not there yet.
  EventLog& Log(std::string_view name);
  /// The log called `name` (any letter case), or null.
  const EventLog* Find(std::string_view name) const;

 private:
  std::map<std::string, EventLog, LessIgnoreCase> logs_;
};

}  // namespace tov::machine
