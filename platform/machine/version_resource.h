/// A file's version resource, described by its parts and built into the binary
/// block that real files carry and the version operations read:
///
///   m.File("C:\\WINDOWS\\System32\\x.dll").VersionBlock(
///       VersionResource().FileVersion(5, 1, 2600, 0).Translation(0x0409, 0x04B0)
///           .String("040904b0", "FileVersion", "5.1.2600.0").Build());
///
/// Texts are given in UTF-8 and stored as UTF-16, as in a real block.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "win32/version.h"

namespace tov::machine {

class VersionResource {
 public:
  /// A resource with a fixed part (signature set, versions 0), no translation
  /// table and no string tables.
  VersionResource();

  VersionResource& FileVersion(uint16_t major, uint16_t minor, uint16_t build, uint16_t revision);
  VersionResource& ProductVersion(uint16_t major, uint16_t minor, uint16_t build,
                                  uint16_t revision);
  VersionResource& FileType(uint32_t type);
  /// Leaves the fixed part out.
  VersionResource& NoFixedInfo();

  /// Appends a (language, code page) pair to the translation table, which is
  /// created by the first call.
  VersionResource& Translation(uint16_t language, uint16_t code_page);
  /// The translation table's value exactly as given (for instance shorter than a pair).
  VersionResource& TranslationBytes(std::vector<uint8_t> bytes);

  /// Adds the value `name` to the string table `table` (eight hexadecimal
  /// digits, language then code page), created by its first value.
  VersionResource& String(std::string_view table, std::string_view name, std::string_view value);

  /// The binary block. Throws std::length_error for a resource larger than a
  /// block's 16-bit lengths can describe.
  std::vector<uint8_t> Build() const;

 private:
  struct StringTable {
    std::string key;
    std::vector<std::pair<std::string, std::string>> values;
  };

  std::optional<VS_FIXEDFILEINFO> fixed_;
  std::optional<std::vector<uint8_t>> translation_;
  std::vector<StringTable> tables_;
};

}  // namespace tov::machine
