#include "platform/machine/driver_package.h"

#include <cctype>

namespace tov::machine {

SetupClass& SetupClass::Name(std::string_view name) {
  name_ = std::string(name);
  return *this;
}

SetupClass& SetupClass::Characteristics(uint32_t characteristics) {
  characteristics_ = characteristics;
  return *this;
}

DriverPackage& DriverPackage::Description(std::string_view text) {
  description_ = std::string(text);
  return *this;
}

DriverPackage& DriverPackage::Manufacturer(std::string_view text) {
  manufacturer_ = std::string(text);
  return *this;
}

DriverPackage& DriverPackage::Provider(std::string_view text) {
  provider_ = std::string(text);
  return *this;
}

DriverPackage& DriverPackage::Files(std::initializer_list<std::string_view> target_paths) {
  for (std::string_view path : target_paths) File(path);
  return *this;
}

DriverPackage& DriverPackage::File(std::string_view target_path) {
  files_.emplace_back(target_path);
  return *this;
}

DriverPackage& DriverPackage::ExcludedFromSelect() {
  excluded_ = true;
  return *this;
}

DriverPackage& DriverPackage::RefusesInstallFiles() {
  refuses_install_ = true;
  return *this;
}

namespace {
// The value of `digits` hex digits at `text`; false when one is not a hex digit.
bool ReadHex(std::string_view text, size_t digits, uint32_t* value) {
  *value = 0;
  for (size_t i = 0; i < digits; ++i) {
    int c = static_cast<unsigned char>(text[i]);
    if (!std::isxdigit(c)) return false;
    *value = *value * 16 + static_cast<uint32_t>(std::isdigit(c) ? c - '0' : std::toupper(c) - 'A' + 10);
  }
  return true;
}
}  // namespace

bool ReadGuidText(std::string_view text, GUID* guid) {
  // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}: fixed positions, nothing else.
  if (text.size() != 38 || text[0] != '{' || text[37] != '}' || text[9] != '-' ||
      text[14] != '-' || text[19] != '-' || text[24] != '-') {
    return false;
  }
  uint32_t v = 0;
  if (!ReadHex(text.substr(1), 8, &v)) return false;
  guid->Data1 = v;
  if (!ReadHex(text.substr(10), 4, &v)) return false;
  guid->Data2 = static_cast<uint16_t>(v);
  if (!ReadHex(text.substr(15), 4, &v)) return false;
  guid->Data3 = static_cast<uint16_t>(v);
  static constexpr size_t kBytePos[8] = {20, 22, 25, 27, 29, 31, 33, 35};
  for (int i = 0; i < 8; ++i) {
    if (!ReadHex(text.substr(kBytePos[i]), 2, &v)) return false;
    guid->Data4[i] = static_cast<uint8_t>(v);
  }
  return true;
}


}  // namespace tov::machine
