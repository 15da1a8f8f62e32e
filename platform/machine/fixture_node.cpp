#include "platform/machine/fixture_node.h"

#include <limits>

#include "win32_api.h"

namespace tov::machine {

namespace {

// A member name as a JSON pointer token: "~" and "/" are escaped.
std::string PointerToken(const std::string& name) {
  std::string out;
  for (char c : name) {
    if (c == '~') {
      out += "~0";
    } else if (c == '/') {
      out += "~1";
    } else {
      out += c;
    }
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

void FixtureNode::Fail(const std::string& what) const { throw FixtureError(path_, what); }

void FixtureNode::Expect(bool ok, const char* what) const {
  if (!ok) Fail(std::string("expected ") + what + ", found " + json_->type_name());
}

FixtureNode FixtureNode::Child(const std::string& key, const nlohmann::ordered_json& json) const {
  return FixtureNode(json, path_ + "/" + PointerToken(key), code_page_);
}

std::string FixtureNode::ToCodePage(const std::string& utf8, const std::string& path) const {
  if (code_page_ == CP_UTF8 || utf8.empty()) return utf8;
  // The parser has checked the UTF-8; what remains is whether every character
  // exists in the machine's code page.
  int n = static_cast<int>(utf8.size());
  std::u16string wide(static_cast<size_t>(n), u'\0');
  int wn = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), n, wide.data(), n);
  std::string out(static_cast<size_t>(n), '\0');
  BOOL lossy = FALSE;
  int bn = wn <= 0 ? 0
                   : WideCharToMultiByte(code_page_, 0, wide.data(), wn, out.data(), n, nullptr,
                                         &lossy);
  if (bn <= 0 || lossy) {
    throw FixtureError(path, "text \"" + utf8 + "\" is not representable in code page " +
                                 std::to_string(code_page_));
  }
  out.resize(static_cast<size_t>(bn));
  return out;
}

std::string FixtureNode::Text() const {
  Expect(json_->is_string(), "a string");
  return ToCodePage(json_->get<std::string>(), path_);
}

std::string FixtureNode::Word() const {
  Expect(json_->is_string(), "a string");
  return json_->get<std::string>();
}

uint64_t FixtureNode::Uint64() const {
  Expect(json_->is_number_integer() && (json_->is_number_unsigned() || json_->get<int64_t>() >= 0),
         "a whole number from 0");
  return json_->get<uint64_t>();
}

uint32_t FixtureNode::Uint32() const {
  uint64_t v = Uint64();
  if (v > std::numeric_limits<uint32_t>::max()) {
    Fail("number " + std::to_string(v) + " is above 4294967295");
  }
  return static_cast<uint32_t>(v);
}

bool FixtureNode::Flag() const {
  if (!json_->is_boolean()) Fail("expected true or false");
  return json_->get<bool>();
}

uint32_t FixtureNode::Named(const NamedValue* table, size_t count, const char* what) const {
  if (json_->is_number()) return Uint32();
  std::string name = Word();
  for (size_t i = 0; i < count; ++i) {
    if (name == table[i].name) return table[i].value;
  }
  Fail("unknown " + std::string(what) + " \"" + name + "\"");
}

int64_t FixtureNode::Int64() const {
  Expect(json_->is_number_integer(), "a whole number");
  if (json_->is_number_unsigned() &&
      json_->get<uint64_t>() > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) {
    Fail("number is too large");
  }
  return json_->get<int64_t>();
}

std::vector<uint8_t> FixtureNode::Hex() const {
  std::string text = Word();
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i < text.size();) {
    if (text[i] == ' ') {
      ++i;
      continue;
    }
    int high = HexDigit(text[i]);
    int low = i + 1 < text.size() ? HexDigit(text[i + 1]) : -2;
    if (high < 0 || low == -1) {
      size_t bad = high < 0 ? i : i + 1;
      Fail("bad hex digit '" + std::string(1, text[bad]) + "' at offset " + std::to_string(bad));
    }
    if (low == -2) Fail("odd number of hex digits");
    bytes.push_back(static_cast<uint8_t>(high * 16 + low));
    i += 2;
  }
  return bytes;
}

std::vector<std::pair<std::string, FixtureNode>> FixtureNode::Members() const {
  Expect(json_->is_object(), "an object");
  std::vector<std::pair<std::string, FixtureNode>> members;
  for (const auto& item : json_->items()) {
    FixtureNode child = Child(item.key(), item.value());
    members.emplace_back(ToCodePage(item.key(), child.Path()), child);
  }
  return members;
}

std::vector<FixtureNode> FixtureNode::Elements() const {
  Expect(json_->is_array(), "an array");
  std::vector<FixtureNode> elements;
  for (size_t i = 0; i < json_->size(); ++i) {
    elements.push_back(Child(std::to_string(i), (*json_)[i]));
  }
  return elements;
}

std::optional<FixtureNode> FixtureNode::Find(std::string_view name) const {
  Expect(json_->is_object(), "an object");
  auto it = json_->find(std::string(name));
  if (it == json_->end()) return std::nullopt;
  return Child(std::string(name), *it);
}

void FixtureNode::AllowOnly(std::initializer_list<std::string_view> allowed) const {
  Expect(json_->is_object(), "an object");
  for (const auto& item : json_->items()) {
    bool known = false;
    for (std::string_view name : allowed) known = known || item.key() == name;
    if (known) continue;
    std::string list;
    for (std::string_view name : allowed) list += (list.empty() ? "" : ", ") + std::string(name);
    Child(item.key(), item.value()).Fail("unknown member (expected: " + list + ")");
  }
}

}  // namespace tov::machine
