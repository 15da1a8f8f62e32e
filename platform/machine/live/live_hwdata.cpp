#include "platform/machine/live/live_hwdata.h"

#include <algorithm>
#include <string_view>


namespace tov::machine::live {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// `digits` hexadecimal digits at `at` followed by a blank: their value, or -1.
long HexNumber(std::string_view line, size_t at, size_t digits) {
  if (at + digits >= line.size() || line[at + digits] != ' ') return -1;
  long value = 0;
  for (size_t i = at; i < at + digits; ++i) {
    int d = HexDigit(line[i]);
    if (d < 0) return -1;
    value = value << 4 | d;
  }
  return value;
}

// The name after the number on a line: from the first non-blank after `skip`
// characters to the end of the line.
std::string NameAt(std::string_view line, size_t skip) {
  size_t begin = line.find_first_not_of(' ', skip);
  size_t last = line.find_last_not_of(" \r");
  if (begin == std::string_view::npos || last == std::string_view::npos || last < begin) return {};
  return std::string(line.substr(begin, last - begin + 1));
}

}  // namespace

IdDatabase IdDatabase::Load(const LiveRoot& where, const std::string& path) {
  IdDatabase db;
  if (!db.file_.Open(where, path)) return db;
  // Vendors ("xxxx  name") and PCI classes ("C xx  name") begin unindented
  // lines; every other unindented line starts another list, which is skipped.
  db.file_.ForEachLine(0, [&db](std::string_view line, uint64_t at) {
    if (line.empty() || line[0] == '\t' || line[0] == '#') return true;
    long number = HexNumber(line, 0, 4);
    if (number >= 0) {
      db.vendors_.push_back(Head{static_cast<uint32_t>(number), at});
    } else if (line.compare(0, 2, "C ") == 0 && (number = HexNumber(line, 2, 2)) >= 0) {
      db.classes_.push_back(Head{static_cast<uint32_t>(number), at});
    }
    return true;
  });
  auto by_number = [](const Head& a, const Head& b) { return a.number < b.number; };
  std::stable_sort(db.vendors_.begin(), db.vendors_.end(), by_number);
  std::stable_sort(db.classes_.begin(), db.classes_.end(), by_number);
  return db;
}

const IdDatabase::Head* IdDatabase::FindHead(const std::vector<Head>& heads, uint32_t number) {
  auto found = std::lower_bound(heads.begin(), heads.end(), number,
                                [](const Head& h, uint32_t n) { return h.number < n; });
  return found != heads.end() && found->number == number ? &*found : nullptr;
}

std::string IdDatabase::HeadName(uint64_t at) const {
  std::string name;
  file_.ForEachLine(at, [&name](std::string_view line, uint64_t) {
    // The number: four digits for a vendor, "C xx" for a class.
    name = NameAt(line, 4);
    return false;
  });
  return name;
}

std::string IdDatabase::FindEntry(uint64_t at, uint32_t number, size_t digits) const {
  std::string name;
  bool head = true;
  file_.ForEachLine(at, [&](std::string_view line, uint64_t) {
    if (head) {
      head = false;
      return true;
    }
    if (!line.empty() && line[0] == '#') return true;  // comments may stand between entries
    if (line.empty() || line[0] != '\t') return false;  // the end of this head's entries
    if (line.compare(0, 2, "\t\t") != 0 && HexNumber(line, 1, digits) == long{number}) {
      name = NameAt(line, 1 + digits);
      return false;
    }
    return true;
  });
  return name;
}

std::string IdDatabase::Vendor(uint16_t vendor) const {
  const Head* head = FindHead(vendors_, vendor);
  return head ? HeadName(head->at) : std::string();
}

std::string IdDatabase::Device(uint16_t vendor, uint16_t device) const {
  const Head* head = FindHead(vendors_, vendor);
  return head ? FindEntry(head->at, device, 4) : std::string();
}

std::string IdDatabase::ClassName(uint32_t class_code) const {
  const Head* head = FindHead(classes_, class_code >> 16);
  if (head == nullptr) return {};
  std::string subclass = FindEntry(head->at, class_code >> 8 & 0xFF, 2);
  return subclass.empty() ? HeadName(head->at) : subclass;
}

}  // namespace tov::machine::live
