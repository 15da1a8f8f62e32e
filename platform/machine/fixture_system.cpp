// The "system" section of a machine fixture: processor, memory and version facts.
#include "platform/machine/fixture_sections.h"

namespace tov::machine {

namespace {

uint16_t Uint16(const FixtureNode& node) {
  uint32_t value = node.Uint32();
  if (value > 0xFFFF) node.Fail("expected a number below 65536, found " + std::to_string(value));
  return static_cast<uint16_t>(value);
}

void ParseProcessor(const FixtureNode& node, SystemModel& system) {
  node.AllowOnly({"architecture", "type", "count", "activeMask", "level", "revision", "pageSize",
                  "allocationGranularity", "minimumApplicationAddress",
                  "maximumApplicationAddress"});
  ProcessorFacts p = system.Processor();
  if (auto n = node.Find("architecture")) p.architecture = Uint16(*n);
  if (auto n = node.Find("type")) p.processor_type = n->Uint32();
  if (auto n = node.Find("count")) p.processors = n->Uint32();
  if (auto n = node.Find("activeMask")) p.active_processor_mask = n->Uint32();
  if (auto n = node.Find("level")) p.level = Uint16(*n);
  if (auto n = node.Find("revision")) p.revision = Uint16(*n);
  if (auto n = node.Find("pageSize")) p.page_size = n->Uint32();
  if (auto n = node.Find("allocationGranularity")) p.allocation_granularity = n->Uint32();
  if (auto n = node.Find("minimumApplicationAddress")) p.min_application_address = n->Uint32();
  if (auto n = node.Find("maximumApplicationAddress")) p.max_application_address = n->Uint32();
  system.Architecture(p.architecture, p.processor_type)
      .Processors(p.processors)
      .ActiveProcessorMask(p.active_processor_mask)
      .ProcessorLevel(p.level, p.revision)
      .PageSize(p.page_size, p.allocation_granularity)
      .ApplicationAddresses(p.min_application_address, p.max_application_address);
}

void ParseVersion(const FixtureNode& node, SystemModel& system) {
  node.AllowOnly({"major", "minor", "build", "platformId", "servicePack", "servicePackMajor",
                  "servicePackMinor", "suiteMask", "productType", "acceptedSizes"});
  VersionFacts v = system.Version();
  if (auto n = node.Find("major")) v.major = n->Uint32();
  if (auto n = node.Find("minor")) v.minor = n->Uint32();
  if (auto n = node.Find("build")) v.build = n->Uint32();
  if (auto n = node.Find("platformId")) v.platform_id = n->Uint32();
  if (auto n = node.Find("servicePack")) {
    v.csd_version = n->Text();
    if (v.csd_version.size() > 127) n->Fail("longer than 127 characters");
  }
  if (auto n = node.Find("servicePackMajor")) v.service_pack_major = Uint16(*n);
  if (auto n = node.Find("servicePackMinor")) v.service_pack_minor = Uint16(*n);
  if (auto n = node.Find("suiteMask")) v.suite_mask = Uint16(*n);
  if (auto n = node.Find("productType")) {
    uint16_t type = Uint16(*n);
    if (type > 0xFF) n->Fail("expected a number below 256");
    v.product_type = static_cast<uint8_t>(type);
  }
  if (auto n = node.Find("acceptedSizes")) {
    v.accepts_plain = v.accepts_extended = false;
    for (const FixtureNode& size : n->Elements()) {
      uint32_t bytes = size.Uint32();
      if (bytes == 148) {
        v.accepts_plain = true;
      } else if (bytes == 156) {
        v.accepts_extended = true;
      } else {
        size.Fail("expected 148 or 156, found " + std::to_string(bytes));
      }
    }
  }
  system.Version(v.major, v.minor, v.build)
      .PlatformId(v.platform_id)
      .ServicePack(v.csd_version, v.service_pack_major, v.service_pack_minor)
      .Suite(v.suite_mask, v.product_type)
      .VersionSizes(v.accepts_plain, v.accepts_extended);
}

}  // namespace

void ParseSystemSection(const FixtureNode& section, Machine& machine) {
  section.AllowOnly({"processor", "version"});
  if (auto n = section.Find("processor")) ParseProcessor(*n, machine.System());
  if (auto n = section.Find("version")) ParseVersion(*n, machine.System());
}

}  // namespace tov::machine
