// The "registry" section of a machine fixture: key paths below
// HKEY_LOCAL_MACHINE, each with its values in order.
#include <string>

#include "platform/machine/fixture_sections.h"

namespace tov::machine {

namespace {

struct TypeName {
  const char* name;
  uint32_t type;
};

const TypeName kTypes[] = {
    {"REG_NONE", REG_NONE},
    {"REG_SZ", REG_SZ},
    {"REG_EXPAND_SZ", REG_EXPAND_SZ},
    {"REG_BINARY", REG_BINARY},
    {"REG_DWORD", REG_DWORD},
    {"REG_DWORD_BIG_ENDIAN", REG_DWORD_BIG_ENDIAN},
    {"REG_LINK", REG_LINK},
    {"REG_MULTI_SZ", REG_MULTI_SZ},
    {"REG_RESOURCE_LIST", REG_RESOURCE_LIST},
    {"REG_FULL_RESOURCE_DESCRIPTOR", REG_FULL_RESOURCE_DESCRIPTOR},
    {"REG_RESOURCE_REQUIREMENTS_LIST", REG_RESOURCE_REQUIREMENTS_LIST},
    {"REG_QWORD", REG_QWORD},
};

uint32_t ParseType(const FixtureNode& node) {
  std::string name = node.Word();
  for (const TypeName& t : kTypes) {
    if (name == t.name) return t.type;
  }
  node.Fail("unknown type \"" + name + "\"");
}

// "data" in the form natural to the type; "hex" gives the stored bytes of any
// type exactly (a string without its NUL, a malformed multi-string).
void ParseValue(const FixtureNode& node, RegistryKey& key) {
  node.AllowOnly({"name", "type", "data", "hex"});
  auto name_node = node.Find("name");
  std::string name = name_node ? name_node->Text() : std::string();
  auto type_node = node.Find("type");
  if (!type_node) node.Fail("a value needs a \"type\"");
  uint32_t type = ParseType(*type_node);
  auto data = node.Find("data");
  auto hex = node.Find("hex");
  if (data.has_value() == hex.has_value()) node.Fail("a value needs either \"data\" or \"hex\"");
  if (hex) {
    key.Raw(name, type, hex->Hex());
    return;
  }
  switch (type) {
    case REG_SZ:
      key.Sz(name, data->Text());
      break;
    case REG_EXPAND_SZ:
      key.ExpandSz(name, data->Text());
      break;
    case REG_MULTI_SZ: {
      std::vector<std::string> texts;
      for (const FixtureNode& element : data->Elements()) texts.push_back(element.Text());
      key.MultiSz(name, texts);
      break;
    }
    case REG_DWORD:
      key.Dword(name, data->Uint32());
      break;
    case REG_QWORD: {
      uint64_t v = data->Uint64();
      std::vector<uint8_t> bytes;
      for (int i = 0; i < 8; ++i) bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
      key.Raw(name, type, bytes);
      break;
    }
    default:
      data->Fail("type " + type_node->Word() + " takes \"hex\", not \"data\"");
  }
}

}  // namespace

void ParseRegistrySection(const FixtureNode& section, Machine& machine) {
  for (const auto& [path, body] : section.Members()) {
    if (path.empty() || path.front() == '\\') body.Fail("a key path is relative to HKLM and not empty");
    body.AllowOnly({"values"});
    RegistryKey& key = machine.Registry().Key(path);
    if (auto values = body.Find("values")) {
      for (const FixtureNode& value : values->Elements()) ParseValue(value, key);
    }
  }
}

}  // namespace tov::machine
