// Reading a version block in its binary layout. Private to platform/posix.
//
// A block is a tree of nodes. Each node: a 16-bit total length, a 16-bit
// value length (bytes for binary data, UTF-16 units for text), a 16-bit type
// (0 binary, 1 text), a UTF-16 key with its NUL, padding to a 32-bit boundary,
// the value, padding, and the child nodes, each starting on a 32-bit boundary.
// The root's key is "VS_VERSION_INFO" and its value the VS_FIXEDFILEINFO.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tov::posix {

/// Where a value lies in its block.
struct VersionValue {
  size_t offset;  // from the start of the block
  size_t size;    // in bytes
  bool text;      // UTF-16 text rather than binary data
};

/// The root's total length when `block[0..size)` starts a version block whose
/// length fits in `size`; 0 otherwise.
size_t VersionBlockLength(const uint8_t* block, size_t size);

/// The value at `path` in `block[0..size)`: "\" the root's (absent when the
/// block has no fixed part), "\VarFileInfo\Translation",
/// "\StringFileInfo\040904b0\FileVersion" and so on. Names compare ignoring
/// ASCII letter case; empty parts of the path are passed over. Every length is
/// checked against the node that holds it, so a malformed block gives no value
/// rather than a read outside it.
std::optional<VersionValue> FindVersionValue(const uint8_t* block, size_t size,
                                             std::string_view path);

}  // namespace tov::posix
