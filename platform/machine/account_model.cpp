#include "platform/machine/account_model.h"

#include <stdexcept>

namespace tov::machine {

namespace {

// A decimal (or 0x-hex) number of at most `max`; false for anything else.
bool ParseNumber(std::string_view text, uint64_t max, uint64_t& value) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return false;
  value = 0;
  for (char c : text) {
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return false;
    }
    if (value > (max - digit) / base) return false;
    value = value * base + digit;
  }
  return true;
}

}  // namespace

std::optional<std::vector<uint8_t>> SidFromText(std::string_view text) {
  std::vector<std::string_view> parts;
  while (true) {
    size_t dash = text.find('-');
    parts.push_back(text.substr(0, dash));
    if (dash == std::string_view::npos) break;
    text.remove_prefix(dash + 1);
  }
  if (parts.size() < 3 || parts.size() > 3 + 15) return std::nullopt;
  if (parts[0] != "S" && parts[0] != "s") return std::nullopt;
  uint64_t revision = 0;
  uint64_t authority = 0;
  if (!ParseNumber(parts[1], 255, revision) || revision != 1) return std::nullopt;
  if (!ParseNumber(parts[2], (uint64_t{1} << 48) - 1, authority)) return std::nullopt;

  std::vector<uint8_t> sid = {1, static_cast<uint8_t>(parts.size() - 3)};
  for (int shift = 40; shift >= 0; shift -= 8) sid.push_back(static_cast<uint8_t>(authority >> shift));
  for (size_t i = 3; i < parts.size(); ++i) {
    uint64_t sub = 0;
    if (!ParseNumber(parts[i], 0xFFFFFFFF, sub)) return std::nullopt;
    for (int shift = 0; shift < 32; shift += 8) sid.push_back(static_cast<uint8_t>(sub >> shift));
  }
  return sid;
}

Account& AccountSet::Add(std::string_view sid_text, std::string_view domain,
                         std::string_view name) {
  std::optional<std::vector<uint8_t>> sid = SidFromText(sid_text);
  if (!sid) throw std::invalid_argument("not a SID: " + std::string(sid_text));
  Account& account = accounts_[*sid];
  account = Account{std::string(domain), std::string(name)};
  return account;
}

const Account* AccountSet::Find(const std::vector<uint8_t>& sid) const {
  auto it = accounts_.find(sid);
  return it == accounts_.end() ? nullptr : &it->second;
}

}  // namespace tov::machine
