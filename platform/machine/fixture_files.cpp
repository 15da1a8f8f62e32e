// The "files" section of a machine fixture: path -> what the file holds.
#include <string>

#include "platform/machine/fixture_sections.h"

namespace tov::machine {

namespace {

struct AttributeName {
  const char* name;
  uint32_t bit;
};

const AttributeName kAttributes[] = {
    {"READONLY", FILE_ATTRIBUTE_READONLY},   {"HIDDEN", FILE_ATTRIBUTE_HIDDEN},
    {"SYSTEM", FILE_ATTRIBUTE_SYSTEM},       {"DIRECTORY", FILE_ATTRIBUTE_DIRECTORY},
    {"ARCHIVE", FILE_ATTRIBUTE_ARCHIVE},     {"NORMAL", FILE_ATTRIBUTE_NORMAL},
    {"TEMPORARY", FILE_ATTRIBUTE_TEMPORARY}, {"COMPRESSED", FILE_ATTRIBUTE_COMPRESSED},
};

uint32_t ParseAttributes(const FixtureNode& node) {
  uint32_t attributes = 0;
  for (const FixtureNode& element : node.Elements()) {
    std::string name = element.Word();
    uint32_t bit = 0;
    for (const AttributeName& a : kAttributes) {
      if (name == a.name) bit = a.bit;
    }
    if (bit == 0) element.Fail("unknown attribute \"" + name + "\"");
    attributes |= bit;
  }
  return attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
}

}  // namespace

void ParseFilesSection(const FixtureNode& section, Machine& machine) {
  for (const auto& [path, body] : section.Members()) {
    body.AllowOnly({"attributes", "messages", "version"});
    MachineFile& file = machine.File(path);
    if (auto attributes = body.Find("attributes")) file.Attributes(ParseAttributes(*attributes));
    if (auto messages = body.Find("messages")) ParseMessageTable(*messages, file);
    if (auto version = body.Find("version")) ParseVersionResource(*version, file);
  }
}

}  // namespace tov::machine
