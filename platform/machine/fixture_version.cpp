// A file's "version" in a machine fixture: its version resource by its parts,
// or the block's bytes as they are.
#include <algorithm>
#include <stdexcept>
#include <string>

#include "platform/machine/fixture_sections.h"
#include "platform/machine/version_resource.h"

namespace tov::machine {

namespace {

bool IsHex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// "a.b.c.d", each part 0 to 65535.
void ParseVersion(const FixtureNode& node, uint16_t (&parts)[4]) {
  std::string text = node.Word();
  size_t at = 0;
  for (int i = 0; i < 4; ++i) {
    size_t end = text.find('.', at);
    if ((end == std::string::npos) != (i == 3)) node.Fail("expected a version \"a.b.c.d\"");
    std::string part = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
    if (part.empty() || part.size() > 5 || part.find_first_not_of("0123456789") != std::string::npos ||
        std::stoul(part) > 0xFFFF) {
      node.Fail("expected a version \"a.b.c.d\" with parts from 0 to 65535");
    }
    parts[i] = static_cast<uint16_t>(std::stoul(part));
    at = end + 1;
  }
}

// Eight hexadecimal digits: language, then code page.
void ParseTranslation(const FixtureNode& node, VersionResource& resource) {
  std::string text = node.Word();
  if (text.size() != 8 || std::find_if_not(text.begin(), text.end(), IsHex) != text.end()) {
    node.Fail("expected eight hexadecimal digits, language then code page (\"040904b0\")");
  }
  resource.Translation(static_cast<uint16_t>(std::stoul(text.substr(0, 4), nullptr, 16)),
                       static_cast<uint16_t>(std::stoul(text.substr(4), nullptr, 16)));
}

}  // namespace

void ParseVersionResource(const FixtureNode& node, MachineFile& file) {
  if (auto hex = node.Find("hex")) {
    node.AllowOnly({"hex"});
    file.VersionBlock(hex->Hex());
    return;
  }
  node.AllowOnly({"fileVersion", "productVersion", "fixedInfo", "translations",
                  "translationHex", "strings"});
  VersionResource resource;
  uint16_t v[4];
  if (auto n = node.Find("fileVersion")) {
    ParseVersion(*n, v);
    resource.FileVersion(v[0], v[1], v[2], v[3]);
  }
  if (auto n = node.Find("productVersion")) {
    ParseVersion(*n, v);
    resource.ProductVersion(v[0], v[1], v[2], v[3]);
  }
  if (auto n = node.Find("fixedInfo")) {
    if (!n->Flag()) resource.NoFixedInfo();
  }
  auto translations = node.Find("translations");
  auto translation_hex = node.Find("translationHex");
  if (translations && translation_hex) {
    node.Fail("give \"translations\" or \"translationHex\", not both");
  }
  if (translations) {
    for (const FixtureNode& element : translations->Elements()) ParseTranslation(element, resource);
  }
  if (translation_hex) resource.TranslationBytes(translation_hex->Hex());
  if (auto strings = node.Find("strings")) {
    // Texts stay UTF-8 here: the block holds them as UTF-16.
    for (const auto& [table, values] : strings->Members()) {
      for (const auto& [name, value] : values.Members()) {
        resource.String(table, name, value.Word());
      }
    }
  }
  try {
    file.VersionBlock(resource.Build());
  } catch (const std::length_error&) {
    node.Fail("the version resource is larger than a version block can be");
  }
}

}  // namespace tov::machine
