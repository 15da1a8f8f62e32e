/// The machine's processor, memory and operating-system facts: the answers of
/// GetSystemInfo, GetVersionExA and GetVersion.
///
///   m.System().Processors(2).Version(5, 1, 2600).ServicePack("Service Pack 3", 3, 0);
///   m.System().VersionSizes(/*plain=*/true, /*extended=*/false);  // an older system
///
/// Unless set, the facts are those of a 32-bit Windows XP SP3 workstation with
/// one processor, which accepts both version structure sizes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tov::machine {

/// What GetSystemInfo reports, in the fields of the 32-bit layout.
struct ProcessorFacts {
  uint16_t architecture = 0;  // PROCESSOR_ARCHITECTURE_INTEL
  uint32_t page_size = 4096;
  uint32_t min_application_address = 0x00010000;
  uint32_t max_application_address = 0x7FFEFFFF;
  uint32_t active_processor_mask = 1;
  uint32_t processors = 1;
  uint32_t processor_type = 586;  // PROCESSOR_INTEL_PENTIUM
  uint32_t allocation_granularity = 0x10000;
  uint16_t level = 6;
  uint16_t revision = 0x0F0B;
};

/// What GetVersionExA and GetVersion report.
struct VersionFacts {
  uint32_t major = 5;
  uint32_t minor = 1;
  uint32_t build = 2600;
  uint32_t platform_id = 2;  // VER_PLATFORM_WIN32_NT
  std::string csd_version = "Service Pack 3";  // at most 127 characters
  uint16_t service_pack_major = 3;
  uint16_t service_pack_minor = 0;
  uint16_t suite_mask = 0x0100;  // VER_SUITE_SINGLEUSERTS
  uint8_t product_type = 1;  // VER_NT_WORKSTATION
  bool accepts_plain = true;     // the 148-byte OSVERSIONINFOA
  bool accepts_extended = true;  // the 156-byte OSVERSIONINFOEXA
};

class SystemModel {
 public:
  SystemModel& Architecture(uint16_t architecture, uint32_t processor_type);
  SystemModel& Processors(uint32_t count);
  SystemModel& ActiveProcessorMask(uint32_t mask);
  SystemModel& PageSize(uint32_t bytes, uint32_t allocation_granularity);
  SystemModel& ApplicationAddresses(uint32_t min, uint32_t max);
  SystemModel& ProcessorLevel(uint16_t level, uint16_t revision);

  SystemModel& Version(uint32_t major, uint32_t minor, uint32_t build);
  /// VER_PLATFORM_WIN32_NT (2), or another platform, for which GetVersion
  /// sets its top bit.
  SystemModel& PlatformId(uint32_t platform_id);
  /// The service-pack text (cut to 127 characters) and numbers.
  SystemModel& ServicePack(std::string_view text, uint16_t major, uint16_t minor);
  SystemModel& Suite(uint16_t suite_mask, uint8_t product_type);
  /// Which structure sizes GetVersionExA accepts.
  SystemModel& VersionSizes(bool plain, bool extended);

  const ProcessorFacts& Processor() const { return processor_; }
  const VersionFacts& Version() const { return version_; }
  /// The GetVersion word of these facts.
  uint32_t VersionWord() const;

 private:
  ProcessorFacts processor_;
  VersionFacts version_;
};

}  // namespace tov::machine
