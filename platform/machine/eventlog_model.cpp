#include "platform/machine/eventlog_model.h"

#include <stdexcept>

#include "platform/machine/account_model.h"

namespace tov::machine {

EventEntry& EventEntry::Source(std::string_view name) {
  fields_.source = std::string(name);
  return *this;
}

EventEntry& EventEntry::At(int64_t seconds) {
  fields_.time_generated = static_cast<uint32_t>(seconds);
  return *this;
}

EventEntry& EventEntry::Type(uint16_t event_type) {
  fields_.event_type = event_type;
  return *this;
}

EventEntry& EventEntry::Category(uint16_t category) {
  fields_.category = category;
  return *this;
}

EventEntry& EventEntry::Strings(std::vector<std::string> strings) {
  fields_.strings = std::move(strings);
  return *this;
}

EventEntry& EventEntry::User(std::string_view sid_text) {
  std::optional<std::vector<uint8_t>> sid = SidFromText(sid_text);
  if (!sid) throw std::invalid_argument("not a SID: " + std::string(sid_text));
  fields_.sid = std::move(*sid);
  return *this;
}

EventEntry& EventEntry::UserSid(std::vector<uint8_t> sid) {
  fields_.sid = std::move(sid);
  return *this;
}

EventEntry& EventEntry::Computer(std::string_view name) {
  fields_.computer = std::string(name);
  computer_set_ = true;
  return *this;
}

EventEntry& EventEntry::Data(std::vector<uint8_t> data) {
  fields_.data = std::move(data);
  return *this;
}

EventEntry& EventEntry::Raw(std::vector<uint8_t> bytes) {
  raw_ = std::move(bytes);
  return *this;
}

std::vector<uint8_t> EventEntry::Bytes(uint32_t record_number,
                                       std::string_view machine_computer) const {
  if (raw_) return *raw_;
  EventRecordFields fields = fields_;
  fields.record_number = record_number;
  if (!computer_set_) fields.computer = std::string(machine_computer);
  return BuildEventRecord(fields);
}

EventEntry& EventLog::Add(uint32_t event_id) {
  return entries_.emplace_back(event_id);
}

EventLog& EventLogSet::Log(std::string_view name) {
  auto it = logs_.find(name);
  if (it == logs_.end()) it = logs_.emplace(std::string(name), EventLog()).first;
  return it->second;
}

const EventLog* EventLogSet::Find(std::string_view name) const {
  auto it = logs_.find(name);
  return it == logs_.end() ? nullptr : &it->second;
}

}  // namespace tov::machine
