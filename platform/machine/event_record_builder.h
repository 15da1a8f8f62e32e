/// One event log record laid out from its parts, exactly as the platform's
/// ReadEventLogA returns records. Pure (no machine needed), so tests on any
/// platform can make records with it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tov::machine {

/// The parts of one record; BuildEventRecord lays them out.
struct EventRecordFields {
  uint32_t record_number = 0;
  uint32_t time_generated = 0;
  uint32_t event_id = 0;
  uint16_t event_type = 4;  // information
  uint16_t category = 0;
  std::string source;
  std::string computer;
  std::vector<uint8_t> sid;  // empty: no user
  std::vector<std::string> strings;
  std::vector<uint8_t> data;
};

/// The record as the platform returns it: the 56-byte head, source and
/// computer name, the SID at a 4-byte boundary, the insertion strings, the
/// data, padding to a 4-byte boundary and the closing copy of the length.
/// Throws std::invalid_argument for more than 65535 strings.
std::vector<uint8_t> BuildEventRecord(const EventRecordFields& fields);

}  // namespace tov::machine
