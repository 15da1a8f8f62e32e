// The "accounts" section of a machine fixture: SID text -> domain and name.
#include <string>

#include "platform/machine/fixture_sections.h"

namespace tov::machine {

void ParseAccountsSection(const FixtureNode& section, Machine& machine) {
  for (const auto& [sid, body] : section.Members()) {
    body.AllowOnly({"domain", "name"});
    if (!SidFromText(sid)) body.Fail("the member name is not a SID (\"S-1-...\")");
    auto name = body.Find("name");
    if (!name) body.Fail("an account needs a \"name\"");
    auto domain = body.Find("domain");
    machine.Account(sid, domain ? domain->Text() : std::string(), name->Text());
  }
}

}  // namespace tov::machine
