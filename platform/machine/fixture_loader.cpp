#include "platform/machine/fixture_loader.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/machine/fixture_sections.h"

namespace tov::machine {

namespace {

struct Section {
  const char* name;
  void (*parse)(const FixtureNode&, Machine&);
};

// In this order: "computer" first, since its code page applies to every text.
const Section kSections[] = {
    {"computer", ParseComputerSection},     {"environment", ParseEnvironmentSection},
    {"registry", ParseRegistrySection},     {"files", ParseFilesSection},
    {"libraries", ParseLibrariesSection},
    {"eventLogs", ParseEventLogsSection},   {"accounts", ParseAccountsSection},
    {"services", ParseServicesSection},
    {"devices", ParseDevicesSection},
    {"system", ParseSystemSection},
};

void ParseRoot(const nlohmann::ordered_json& json, Machine& machine) {
  FixtureNode root(json, "", 1252);
  if (!json.is_object()) root.Fail(std::string("expected an object, found ") + json.type_name());
  for (const auto& item : json.items()) {
    bool known = false;
    for (const Section& s : kSections) known = known || item.key() == s.name;
    if (!known) root.Find(item.key())->Fail("unknown section");
  }
  FixtureNode texts(json, "", FixtureCodePage(root));
  for (const Section& s : kSections) {
    if (auto section = texts.Find(s.name)) s.parse(*section, machine);
  }
}

// nlohmann's messages start with an "[json.exception...] " tag.
std::string Untagged(const std::string& what) {
  size_t cut = what.find("] ");
  return cut == std::string::npos ? what : what.substr(cut + 2);
}

}  // namespace

bool ParseMachineFixture(std::string_view text, std::string_view source_name, Machine& machine,
                         std::string* error) {
  std::string prefix = std::string(source_name) + ": ";
  try {
    auto json = nlohmann::ordered_json::parse(text.begin(), text.end());
    ParseRoot(json, machine);
    return true;
  } catch (const nlohmann::ordered_json::parse_error& e) {
    *error = prefix + "malformed JSON: " + Untagged(e.what());
  } catch (const FixtureError& e) {
    *error = prefix + (e.Path().empty() ? std::string("(top level)") : e.Path()) + ": " + e.what();
  } catch (const nlohmann::ordered_json::exception& e) {
    // The section parsers check every value before reading it; this is a net.
    *error = prefix + Untagged(e.what());
  }
  return false;
}

bool LoadMachineFixture(const std::string& path, Machine& machine, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = path + ": cannot open the machine fixture: " + std::strerror(errno);
    return false;
  }
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) {
    *error = path + ": cannot read the machine fixture";
    return false;
  }
  return ParseMachineFixture(text, path, machine, error);
}

}  // namespace tov::machine
