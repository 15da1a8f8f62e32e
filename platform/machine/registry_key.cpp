#include "platform/machine/registry_key.h"

namespace tov::machine {

namespace {
std::vector<uint8_t> TextBytes(std::string_view text) {
  std::vector<uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}
}  // namespace

RegistryKey& RegistryKey::Key(std::string_view path) {
  RegistryKey* key = this;
  while (!path.empty()) {
    size_t cut = path.find('\\');
    std::string_view part = path.substr(0, cut);
    path = cut == std::string_view::npos ? std::string_view() : path.substr(cut + 1);
    if (part.empty()) continue;  // "A\\\\B" and a leading or trailing backslash
    auto* found = const_cast<RegistryKey*>(key->FindSubkey(part));
    if (found == nullptr) {
      key->subkeys_.push_back(std::make_unique<RegistryKey>(std::string(part)));
      found = key->subkeys_.back().get();
      key->index_.emplace(found->name_, found);
    }
    key = found;
  }
  return *key;
}

RegistryKey& RegistryKey::Sz(std::string_view name, std::string_view text) {
  return Raw(name, REG_SZ, TextBytes(text));
}

RegistryKey& RegistryKey::ExpandSz(std::string_view name, std::string_view text) {
  return Raw(name, REG_EXPAND_SZ, TextBytes(text));
}

RegistryKey& RegistryKey::MultiSz(std::string_view name, const std::vector<std::string>& texts) {
  std::vector<uint8_t> bytes;
  for (const std::string& text : texts) {
    bytes.insert(bytes.end(), text.begin(), text.end());
    bytes.push_back(0);
  }
  bytes.push_back(0);
  return Raw(name, REG_MULTI_SZ, std::move(bytes));
}

RegistryKey& RegistryKey::Dword(std::string_view name, uint32_t value) {
  return Raw(name, REG_DWORD,
             {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
              static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)});
}

RegistryKey& RegistryKey::Binary(std::string_view name, std::vector<uint8_t> bytes) {
  return Raw(name, REG_BINARY, std::move(bytes));
}

RegistryKey& RegistryKey::Raw(std::string_view name, uint32_t type, std::vector<uint8_t> bytes) {
  for (RegistryValue& value : values_) {
    if (EqualsIgnoreCase(value.name, name)) {
      value.type = type;
      value.data = std::move(bytes);
      return *this;
    }
  }
  values_.push_back(RegistryValue{std::string(name), type, std::move(bytes)});
  return *this;
}

const RegistryKey* RegistryKey::FindSubkey(std::string_view name) const {
  auto it = index_.find(name);
  return it == index_.end() ? nullptr : it->second;
}

const RegistryValue* RegistryKey::FindValue(std::string_view name) const {
  for (const RegistryValue& value : values_) {
    if (EqualsIgnoreCase(value.name, name)) return &value;
  }
  return nullptr;
}

}  // namespace tov::machine
