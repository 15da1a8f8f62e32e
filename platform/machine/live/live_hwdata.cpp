#include "platform/machine/live/live_hwdata.h"

#include <algorithm>

#include "platform/machine/live/live_files.h"

namespace tov::machine::live {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// `digits` hexadecimal digits at `at` followed by a blank: their value, or -1.
long HexNumber(const std::string& text, size_t at, size_t digits) {
  if (at + digits >= text.size() || text[at + digits] != ' ') return -1;
  long value = 0;
  for (size_t i = at; i < at + digits; ++i) {
    int d = HexDigit(text[i]);
    if (d < 0) return -1;
    value = value << 4 | d;
  }
  return value;
}

// The name after the number on the line at `at`: from the first non-blank
// after `skip` characters to the end of the line.
std::string NameAt(const std::string& text, size_t at, size_t skip) {
  size_t end = text.find('\n', at);
  if (end == std::string::npos) end = text.size();
  size_t begin = text.find_first_not_of(' ', at + skip);
  if (begin == std::string::npos || begin >= end) return {};
  size_t last = text.find_last_not_of(" \r", end - 1);
  return text.substr(begin, last - begin + 1);
}

}  // namespace

IdDatabase IdDatabase::Load(const LiveRoot& where, const std::string& path) {
  IdDatabase db;
  db.text_ = ReadFile(where, path).value_or("");
  // Vendors ("xxxx  name") and PCI classes ("C xx  name") begin unindented
  // lines; every other unindented line starts another list, which is skipped.
  const std::string& t = db.text_;
  for (size_t at = 0; at < t.size();) {
    if (t[at] != '\t' && t[at] != '#') {
      long number = HexNumber(t, at, 4);
      if (number >= 0) {
        db.vendors_.push_back(Head{static_cast<uint32_t>(number), at});
      } else if (t.compare(at, 2, "C ") == 0 && (number = HexNumber(t, at + 2, 2)) >= 0) {
        db.classes_.push_back(Head{static_cast<uint32_t>(number), at});
      }
    }
    size_t end = t.find('\n', at);
    at = end == std::string::npos ? t.size() : end + 1;
  }
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

std::string IdDatabase::FindEntry(size_t at, uint32_t number, size_t digits) const {
  const std::string& t = text_;
  size_t line = t.find('\n', at);
  while (line != std::string::npos && line + 1 < t.size()) {
    size_t begin = line + 1;
    if (t[begin] == '#') {  // comments may stand between entries
      line = t.find('\n', begin);
      continue;
    }
    if (t[begin] != '\t') return {};  // the end of this head's entries
    if (t.compare(begin, 2, "\t\t") != 0 && HexNumber(t, begin + 1, digits) == long{number}) {
      return NameAt(t, begin, 1 + digits);
    }
    line = t.find('\n', begin);
  }
  return {};
}

std::string IdDatabase::Vendor(uint16_t vendor) const {
  const Head* head = FindHead(vendors_, vendor);
  return head ? NameAt(text_, head->at, 4) : std::string();
}

std::string IdDatabase::Device(uint16_t vendor, uint16_t device) const {
  const Head* head = FindHead(vendors_, vendor);
  return head ? FindEntry(head->at, device, 4) : std::string();
}

std::string IdDatabase::ClassName(uint32_t class_code) const {
  const Head* head = FindHead(classes_, class_code >> 16);
  if (head == nullptr) return {};
  std::string subclass = FindEntry(head->at, class_code >> 8 & 0xFF, 2);
  return subclass.empty() ? NameAt(text_, head->at, 4) : subclass;
}

}  // namespace tov::machine::live
