#include "platform/machine/event_record_builder.h"

#include <stdexcept>

namespace tov::machine {

namespace {

constexpr uint32_t kHeadSize = 56;
constexpr uint32_t kLogSignature = 0x654c664c;  // "LfLe", in every record's Reserved field

void PutDword(std::vector<uint8_t>& out, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) out[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

void PutWord(std::vector<uint8_t>& out, size_t offset, uint16_t value) {
  out[offset] = static_cast<uint8_t>(value);
  out[offset + 1] = static_cast<uint8_t>(value >> 8);
}

void AppendText(std::vector<uint8_t>& out, const std::string& text) {
  out.insert(out.end(), text.begin(), text.end());
  out.push_back(0);
}

void PadToDword(std::vector<uint8_t>& out) {
  while (out.size() % 4 != 0) out.push_back(0);
}

}  // namespace

std::vector<uint8_t> BuildEventRecord(const EventRecordFields& f) {
  if (f.strings.size() > 0xFFFF) throw std::invalid_argument("a record holds at most 65535 strings");
  std::vector<uint8_t> out(kHeadSize, 0);
  AppendText(out, f.source);
  AppendText(out, f.computer);
  PadToDword(out);
  const uint32_t sid_offset = static_cast<uint32_t>(out.size());
  out.insert(out.end(), f.sid.begin(), f.sid.end());
  const uint32_t string_offset = static_cast<uint32_t>(out.size());
  for (const std::string& s : f.strings) AppendText(out, s);
  const uint32_t data_offset = static_cast<uint32_t>(out.size());
  out.insert(out.end(), f.data.begin(), f.data.end());
  PadToDword(out);
  out.resize(out.size() + 4);
  const uint32_t length = static_cast<uint32_t>(out.size());

  PutDword(out, 0, length);
  PutDword(out, 4, kLogSignature);
  PutDword(out, 8, f.record_number);
  PutDword(out, 12, f.time_generated);
  PutDword(out, 16, f.time_generated);
  PutDword(out, 20, f.event_id);
  PutWord(out, 24, f.event_type);
  PutWord(out, 26, static_cast<uint16_t>(f.strings.size()));
  PutWord(out, 28, f.category);
  PutDword(out, 36, string_offset);
  PutDword(out, 40, static_cast<uint32_t>(f.sid.size()));
  PutDword(out, 44, sid_offset);
  PutDword(out, 48, static_cast<uint32_t>(f.data.size()));
  PutDword(out, 52, data_offset);
  PutDword(out, length - 4, length);
  return out;
}

}  // namespace tov::machine
