#include "platform/machine/live/live_hwdata.h"

#include <fstream>

namespace tov::machine::live {

namespace {

// Tags a subclass's key in the class table, so that it never meets a class's.
constexpr uint32_t kSubclassLevel = 0x10000;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// `digits` hexadecimal digits at `at`, followed by at least one blank, then
// the name; false for a line of another form.
bool ReadEntry(const std::string& line, size_t at, size_t digits, uint32_t* number,
               std::string* name) {
  if (line.size() < at + digits + 1) return false;
  uint32_t value = 0;
  for (size_t i = at; i < at + digits; ++i) {
    int d = HexDigit(line[i]);
    if (d < 0) return false;
    value = value << 4 | static_cast<uint32_t>(d);
  }
  if (line[at + digits] != ' ') return false;
  size_t begin = line.find_first_not_of(' ', at + digits);
  if (begin == std::string::npos) return false;
  size_t end = line.find_last_not_of(" \r");
  *number = value;
  *name = line.substr(begin, end - begin + 1);
  return true;
}

}  // namespace

IdDatabase IdDatabase::Load(const std::string& path) {
  IdDatabase db;
  std::ifstream in(path, std::ios::binary);
  // The file is a run of sections: vendors with their devices (tab-indented)
  // and subsystems (two tabs), then other lists introduced by a word, of
  // which the PCI classes ("C xx") and their subclasses are read and the
  // others skipped.
  enum class Section { kVendor, kClass, kOther } section = Section::kOther;
  VendorEntry* vendor = nullptr;
  uint32_t class_code = 0;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    uint32_t number = 0;
    std::string name;
    if (line[0] != '\t') {
      if (ReadEntry(line, 0, 4, &number, &name)) {
        section = Section::kVendor;
        vendor = &db.vendors_[static_cast<uint16_t>(number)];
        vendor->name = name;
      } else if (line.compare(0, 2, "C ") == 0 && ReadEntry(line, 2, 2, &number, &name)) {
        section = Section::kClass;
        class_code = number;
        db.classes_[class_code] = name;
      } else {
        section = Section::kOther;
      }
      continue;
    }
    bool nested = line.size() > 1 && line[1] == '\t';
    if (section == Section::kVendor && !nested && ReadEntry(line, 1, 4, &number, &name)) {
      vendor->devices[static_cast<uint16_t>(number)] = name;
    } else if (section == Section::kClass && !nested && ReadEntry(line, 1, 2, &number, &name)) {
      db.classes_[kSubclassLevel | class_code << 8 | number] = name;
    }
  }
  return db;
}

std::string IdDatabase::Vendor(uint16_t vendor) const {
  auto found = vendors_.find(vendor);
  return found == vendors_.end() ? std::string() : found->second.name;
}

std::string IdDatabase::Device(uint16_t vendor, uint16_t device) const {
  auto found = vendors_.find(vendor);
  if (found == vendors_.end()) return {};
  auto dev = found->second.devices.find(device);
  return dev == found->second.devices.end() ? std::string() : dev->second;
}

std::string IdDatabase::ClassName(uint32_t class_code) const {
  for (uint32_t key : {kSubclassLevel | class_code >> 8, class_code >> 16}) {
    auto found = classes_.find(key);
    if (found != classes_.end()) return found->second;
  }
  return {};
}

}  // namespace tov::machine::live
