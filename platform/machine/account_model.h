/// The accounts of the machine: security identifier -> domain and name, the
/// answers of LookupAccountSidA.
///   m.Account("S-1-5-18", "NT AUTHORITY", "SYSTEM");
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tov::machine {

/// The bytes of the SID written as "S-1-<authority>-<sub>-<sub>...": revision
/// 1, a decimal or 0x-hex authority below 2^48, at most 15 subauthorities
/// below 2^32. Nothing for any other text.
std::optional<std::vector<uint8_t>> SidFromText(std::string_view text);

struct Account {
  std::string domain;  // may be empty
  std::string name;
  int use = 1;  // SID_NAME_USE; SidTypeUser unless set
};

/// All accounts, by the bytes of their SID.
class AccountSet {
 public:
  /// Adds or replaces the account of `sid_text`; throws std::invalid_argument
  /// for text that is not a SID.
  Account& Add(std::string_view sid_text, std::string_view domain, std::string_view name);
  /// The account whose SID has exactly these bytes, or null.
  const Account* Find(const std::vector<uint8_t>& sid) const;

 private:
  std::map<std::vector<uint8_t>, Account> accounts_;
};

}  // namespace tov::machine
