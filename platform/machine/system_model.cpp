#include "platform/machine/system_model.h"

namespace tov::machine {

namespace {
constexpr size_t kMaxCsdChars = 127;  // szCSDVersion holds 128 with its NUL
constexpr uint32_t kPlatformNt = 2;
}  // namespace

SystemModel& SystemModel::Architecture(uint16_t architecture, uint32_t processor_type) {
  processor_.architecture = architecture;
  processor_.processor_type = processor_type;
  return *this;
}

SystemModel& SystemModel::Processors(uint32_t count) {
  processor_.processors = count;
  return *this;
}

SystemModel& SystemModel::ActiveProcessorMask(uint32_t mask) {
  processor_.active_processor_mask = mask;
  return *this;
}

SystemModel& SystemModel::PageSize(uint32_t bytes, uint32_t allocation_granularity) {
  processor_.page_size = bytes;
  processor_.allocation_granularity = allocation_granularity;
  return *this;
}

SystemModel& SystemModel::ApplicationAddresses(uint32_t min, uint32_t max) {
  processor_.min_application_address = min;
  processor_.max_application_address = max;
  return *this;
}

SystemModel& SystemModel::ProcessorLevel(uint16_t level, uint16_t revision) {
  processor_.level = level;
  processor_.revision = revision;
  return *this;
}

SystemModel& SystemModel::Version(uint32_t major, uint32_t minor, uint32_t build) {
  version_.major = major;
  version_.minor = minor;
  version_.build = build;
  return *this;
}

SystemModel& SystemModel::PlatformId(uint32_t platform_id) {
  version_.platform_id = platform_id;
  return *this;
}

SystemModel& SystemModel::ServicePack(std::string_view text, uint16_t major, uint16_t minor) {
  version_.csd_version = std::string(text.substr(0, kMaxCsdChars));
  version_.service_pack_major = major;
  version_.service_pack_minor = minor;
  return *this;
}

SystemModel& SystemModel::Suite(uint16_t suite_mask, uint8_t product_type) {
  version_.suite_mask = suite_mask;
  version_.product_type = product_type;
  return *this;
}

SystemModel& SystemModel::VersionSizes(bool plain, bool extended) {
  version_.accepts_plain = plain;
  version_.accepts_extended = extended;
  return *this;
}

uint32_t SystemModel::VersionWord() const {
  uint32_t word = (version_.major & 0xFF) | (version_.minor & 0xFF) << 8 |
                  (version_.build & 0x7FFF) << 16;
  if (version_.platform_id != kPlatformNt) word |= 0x80000000u;
  return word;
}

}  // namespace tov::machine
