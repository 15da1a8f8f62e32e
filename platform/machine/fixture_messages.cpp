// The message table of a file in the "files" section of a machine fixture:
// message number (decimal or 0x hexadecimal) -> text.
#include <string>

#include "platform/machine/fixture_sections.h"

namespace tov::machine {

namespace {

// A whole number below 2^32, decimal or with 0x in hexadecimal.
bool ParseMessageId(const std::string& text, uint32_t& id) {
  size_t start = 0;
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    start = 2;
    base = 16;
  }
  if (start == text.size()) return false;
  uint64_t value = 0;
  for (size_t i = start; i < text.size(); ++i) {
    char c = text[i];
    int digit = c >= '0' && c <= '9'                ? c - '0'
                : base == 16 && c >= 'a' && c <= 'f' ? c - 'a' + 10
                : base == 16 && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                     : -1;
    if (digit < 0) return false;
    value = value * base + static_cast<uint64_t>(digit);
    if (value > 0xFFFFFFFFu) return false;
  }
  id = static_cast<uint32_t>(value);
  return true;
}

}  // namespace

void ParseMessageTable(const FixtureNode& node, MachineFile& file) {
  for (const auto& [key, text] : node.Members()) {
    uint32_t id = 0;
    if (!ParseMessageId(key, id)) text.Fail("a message number is decimal or 0x hexadecimal, below 2^32");
    file.Message(id, text.Text());
  }
}

}  // namespace tov::machine
