/// One key of the machine's registry: its subkeys in the order they were added
/// and its values, each with a name (empty: the key's default value), a type
/// and raw bytes exactly as given. The fluent setters are the builder tests
/// and fixtures use:
///   m.Registry().Key("SYSTEM\\CurrentControlSet\\Services\\disk")
///       .ExpandSz("ImagePath", "system32\\DRIVERS\\disk.sys").Dword("Start", 0);
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/machine/handle_table.h"
#include "platform/machine/text_case.h"
#include "win32/registry.h"

namespace tov::machine {

/// The handle kind of a key opened by RegOpenKeyExA.
inline constexpr HandleKind kRegistryKeyHandle{"registry key"};

struct RegistryValue {
  std::string name;
  uint32_t type = REG_NONE;
  std::vector<uint8_t> data;
};

class RegistryKey {
 public:
  explicit RegistryKey(std::string name) : name_(std::move(name)) {}
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  const std::string& Name() const { return name_; }

  /// The subkey at `path` (backslash separated, relative, any letter case),
  /// created with any missing keys on the way.
  RegistryKey& Key(std::string_view path);

  /// Text values are stored with their terminating NUL; a multi-string as each
  /// text with its NUL and one more NUL at the end. A value of the same name
  /// (any letter case) is replaced.
  RegistryKey& Sz(std::string_view name, std::string_view text);
  RegistryKey& ExpandSz(std::string_view name, std::string_view text);
  RegistryKey& MultiSz(std::string_view name, const std::vector<std::string>& texts);
  RegistryKey& Dword(std::string_view name, uint32_t value);
  RegistryKey& Binary(std::string_view name, std::vector<uint8_t> bytes);
  /// Any type with exactly these bytes (for instance a REG_SZ without its NUL).
  RegistryKey& Raw(std::string_view name, uint32_t type, std::vector<uint8_t> bytes);

  /// The direct subkey called `name` (any letter case), or null.
  const RegistryKey* FindSubkey(std::string_view name) const;
  /// The value called `name` (any letter case; empty: the default value), or null.
  const RegistryValue* FindValue(std::string_view name) const;

  const std::vector<std::unique_ptr<RegistryKey>>& Subkeys() const { return subkeys_; }
  const std::vector<RegistryValue>& Values() const { return values_; }

 private:
  std::string name_;
  std::vector<std::unique_ptr<RegistryKey>> subkeys_;
  // Name lookup for keys with many subkeys (a large Enum tree).
  std::map<std::string, RegistryKey*, LessIgnoreCase> index_;
  std::vector<RegistryValue> values_;
};

}  // namespace tov::machine
