#include "platform/posix/src/version_block.h"

#include <algorithm>
#include <cstring>

namespace tov::posix {

namespace {

constexpr size_t kHeaderSize = 6;
constexpr std::string_view kRootKey = "VS_VERSION_INFO";

size_t Align4(size_t offset) { return (offset + 3) & ~static_cast<size_t>(3); }

uint16_t Word(const uint8_t* p) {
  uint16_t w;
  std::memcpy(&w, p, sizeof w);
  return w;
}

struct Node {
  size_t end;        // one past the node's last byte
  size_t key;        // offset of the key's first unit
  size_t key_units;  // without the NUL
  VersionValue value;
  size_t children;   // offset of the first child, or `end`
};

// The node at `begin`, which must lie within [begin, limit).
std::optional<Node> ReadNode(const uint8_t* b, size_t begin, size_t limit) {
  if (begin > limit || limit - begin < kHeaderSize) return std::nullopt;
  size_t length = Word(b + begin);
  size_t value_length = Word(b + begin + 2);
  uint16_t type = Word(b + begin + 4);
  if (length < kHeaderSize || length > limit - begin) return std::nullopt;
  Node node{};
  node.end = begin + length;
  node.key = begin + kHeaderSize;
  size_t at = node.key;
  while (at + 2 <= node.end && Word(b + at) != 0) at += 2;
  if (at + 2 > node.end) return std::nullopt;  // the key has no NUL inside the node
  node.key_units = (at - node.key) / 2;
  size_t value = std::min(Align4(at + 2), node.end);
  size_t value_bytes = type == 1 ? value_length * 2 : value_length;
  if (value_bytes > node.end - value) {
    // Some resource compilers count a text's length in bytes, not units, so
    // a text may claim more than its node holds; it ends with the node. A
    // binary value that does not fit is malformed.
    if (type != 1) return std::nullopt;
    value_bytes = node.end - value;
  }
  node.value = VersionValue{value, value_bytes, type == 1};
  node.children = std::min(Align4(value + value_bytes), node.end);
  return node;
}

bool KeyIs(const uint8_t* b, const Node& node, std::string_view name) {
  if (node.key_units != name.size()) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    uint16_t unit = Word(b + node.key + 2 * i);
    auto lower = [](unsigned c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
    if (unit >= 0x80 || lower(unit) != lower(static_cast<unsigned char>(name[i]))) return false;
  }
  return true;
}

std::optional<Node> ReadRoot(const uint8_t* block, size_t size) {
  if (block == nullptr) return std::nullopt;
  std::optional<Node> root = ReadNode(block, 0, size);
  if (!root || !KeyIs(block, *root, kRootKey)) return std::nullopt;
  return root;
}

// The child of `parent` whose key is `name`.
std::optional<Node> FindChild(const uint8_t* b, const Node& parent, std::string_view name) {
  for (size_t at = parent.children; at < parent.end;) {
    std::optional<Node> child = ReadNode(b, at, parent.end);
    if (!child) return std::nullopt;
    if (KeyIs(b, *child, name)) return child;
    at = Align4(child->end);
  }
  return std::nullopt;
}

}  // namespace

size_t VersionBlockLength(const uint8_t* block, size_t size) {
  std::optional<Node> root = ReadRoot(block, size);
  return root ? root->end : 0;
}

std::optional<VersionValue> FindVersionValue(const uint8_t* block, size_t size,
                                             std::string_view path) {
  std::optional<Node> node = ReadRoot(block, size);
  if (!node) return std::nullopt;
  bool at_root = true;
  while (!path.empty()) {
    size_t slash = path.find('\\');
    std::string_view name = path.substr(0, slash);
    path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
    if (name.empty()) continue;
    node = FindChild(block, *node, name);
    if (!node) return std::nullopt;
    at_root = false;
  }
  // The root's value is the fixed part, which a block may lack.
  if (at_root && node->value.size == 0) return std::nullopt;
  return node->value;
}

}  // namespace tov::posix
