#include "platform/machine/version_resource.h"

#include <stdexcept>

#include "win32/strings.h"

namespace tov::machine {

namespace {

std::u16string Utf16(std::string_view text) {
  if (text.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::u16string out(static_cast<size_t>(n), u'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

// Appends nodes to a block: header, key, value, children, each node and each
// value starting on a 32-bit boundary, as the block's readers expect.
class BlockWriter {
 public:
  template <class WriteChildren>
  void Node(std::u16string_view key, uint16_t type, uint16_t value_length, const void* value,
            size_t value_bytes, WriteChildren write_children) {
    Pad();
    size_t begin = out_.size();
    Word(0);  // the node's length, known once its children are written
    Word(value_length);
    Word(type);
    for (char16_t unit : key) Word(unit);
    Word(0);
    if (value_bytes > 0) {
      Pad();
      const auto* p = static_cast<const uint8_t*>(value);
      out_.insert(out_.end(), p, p + value_bytes);
    }
    write_children();
    size_t length = out_.size() - begin;
    if (length > 0xFFFF) throw std::length_error("version resource too large for a block");
    out_[begin] = static_cast<uint8_t>(length);
    out_[begin + 1] = static_cast<uint8_t>(length >> 8);
  }

  void Leaf(std::u16string_view key, uint16_t type, uint16_t value_length, const void* value,
            size_t value_bytes) {
    Node(key, type, value_length, value, value_bytes, [] {});
  }

  std::vector<uint8_t> Take() { return std::move(out_); }

 private:
  void Word(uint16_t w) {
    out_.push_back(static_cast<uint8_t>(w));
    out_.push_back(static_cast<uint8_t>(w >> 8));
  }
  void Pad() {
    while (out_.size() % 4 != 0) out_.push_back(0);
  }

  std::vector<uint8_t> out_;
};

constexpr uint16_t kBinary = 0;
constexpr uint16_t kText = 1;

uint32_t Pack(uint16_t high, uint16_t low) { return (uint32_t{high} << 16) | low; }

}  // namespace

VersionResource::VersionResource() {
  VS_FIXEDFILEINFO fixed{};
  fixed.dwSignature = VS_FFI_SIGNATURE;
  fixed.dwStrucVersion = VS_FFI_STRUCVERSION;
  fixed.dwFileFlagsMask = VS_FFI_FILEFLAGSMASK;
  fixed.dwFileOS = VOS_NT_WINDOWS32;
  fixed_ = fixed;
}

VersionResource& VersionResource::FileVersion(uint16_t major, uint16_t minor, uint16_t build,
                                              uint16_t revision) {
  if (fixed_) {
    fixed_->dwFileVersionMS = Pack(major, minor);
    fixed_->dwFileVersionLS = Pack(build, revision);
  }
  return *this;
}

VersionResource& VersionResource::ProductVersion(uint16_t major, uint16_t minor, uint16_t build,
                                                 uint16_t revision) {
  if (fixed_) {
    fixed_->dwProductVersionMS = Pack(major, minor);
    fixed_->dwProductVersionLS = Pack(build, revision);
  }
  return *this;
}

VersionResource& VersionResource::FileType(uint32_t type) {
  if (fixed_) fixed_->dwFileType = type;
  return *this;
}

VersionResource& VersionResource::NoFixedInfo() {
  fixed_.reset();
  return *this;
}

VersionResource& VersionResource::Translation(uint16_t language, uint16_t code_page) {
  if (!translation_) translation_.emplace();
  for (uint16_t w : {language, code_page}) {
    translation_->push_back(static_cast<uint8_t>(w));
    translation_->push_back(static_cast<uint8_t>(w >> 8));
  }
  return *this;
}

VersionResource& VersionResource::TranslationBytes(std::vector<uint8_t> bytes) {
  translation_ = std::move(bytes);
  return *this;
}

VersionResource& VersionResource::String(std::string_view table, std::string_view name,
                                         std::string_view value) {
  auto it = tables_.begin();
  while (it != tables_.end() && it->key != table) ++it;
  if (it == tables_.end()) it = tables_.insert(tables_.end(), StringTable{std::string(table), {}});
  it->values.emplace_back(std::string(name), std::string(value));
  return *this;
}

std::vector<uint8_t> VersionResource::Build() const {
  BlockWriter w;
  const void* fixed = fixed_ ? &*fixed_ : nullptr;
  uint16_t fixed_size = fixed_ ? sizeof(VS_FIXEDFILEINFO) : 0;
  w.Node(u"VS_VERSION_INFO", kBinary, fixed_size, fixed, fixed_size, [&] {
    if (!tables_.empty()) {
      w.Node(u"StringFileInfo", kText, 0, nullptr, 0, [&] {
        for (const StringTable& table : tables_) {
          w.Node(Utf16(table.key), kText, 0, nullptr, 0, [&] {
            for (const auto& [name, value] : table.values) {
              std::u16string text = Utf16(value);
              text.push_back(u'\0');
              if (text.size() > 0xFFFF) throw std::length_error("version text too long");
              w.Leaf(Utf16(name), kText, static_cast<uint16_t>(text.size()), text.data(),
                     text.size() * 2);
            }
          });
        }
      });
    }
    if (translation_) {
      w.Node(u"VarFileInfo", kText, 0, nullptr, 0, [&] {
        if (translation_->size() > 0xFFFF) throw std::length_error("translation table too long");
        w.Leaf(u"Translation", kBinary, static_cast<uint16_t>(translation_->size()),
               translation_->data(), translation_->size());
      });
    }
  });
  return w.Take();
}

}  // namespace tov::machine
