// systemd unit files: the search path, aliases and masks, drop-ins, the
// settings the services loader maps, and enablement.
#include "platform/machine/live/live_services_units.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "platform/machine/live/live_files.h"

namespace tov::machine::live {

namespace {

// The manager's search path for system units, first wins. `config` marks the
// directories whose wants links and aliases make a unit enabled; `generated`
// those whose units the manager made itself.
struct UnitDirectory {
  const char* path;
  bool config;
  bool generated;
};
constexpr UnitDirectory kUnitDirectories[] = {
    {"/etc/systemd/system.control", true, false},
    {"/run/systemd/system.control", true, false},
    {"/run/systemd/transient", false, true},
    {"/run/systemd/generator.early", false, true},
    {"/etc/systemd/system", true, false},
    {"/etc/systemd/system.attached", true, false},
    {"/run/systemd/system", true, false},
    {"/run/systemd/system.attached", true, false},
    {"/run/systemd/generator", false, true},
    {"/usr/local/lib/systemd/system", false, false},
    {"/lib/systemd/system", false, false},
    {"/usr/lib/systemd/system", false, false},
    {"/run/systemd/generator.late", false, true},
};

// Where a bare program name of ExecStart= is looked for.
constexpr const char* kProgramDirectories[] = {"/usr/local/sbin", "/usr/local/bin", "/usr/sbin",
                                               "/usr/bin", "/sbin", "/bin"};

constexpr std::string_view kSuffix = ".service";

bool EndsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

bool IsServiceName(std::string_view name) {
  return EndsWith(name, kSuffix) && name.size() > kSuffix.size();
}
bool IsTemplate(std::string_view name) { return EndsWith(name, "@" + std::string(kSuffix)); }
bool IsInstance(std::string_view name) {
  return !IsTemplate(name) && name.find('@') != std::string_view::npos;
}
// "a@b.service" -> "a@.service".
std::string TemplateOf(std::string_view instance) {
  return std::string(instance.substr(0, instance.find('@') + 1)) + std::string(kSuffix);
}

// One name in one directory of the search path.
struct Location {
  const UnitDirectory* directory;
  std::optional<std::string> link;  // the link target, for a symbolic link
  std::string Path(const std::string& name) const { return std::string(directory->path) + "/" + name; }
};

// What the search path holds: every unit name with its locations, first
// wins; the names linked into wants and requires of the configuration; the
// aliases made there.
struct SearchPath {
  std::map<std::string, std::vector<Location>> units;
  std::set<std::string> wanted;         // linked below any directory
  std::set<std::string> linked_config;  // linked below a configuration directory
  std::set<std::string> config_aliases;
  // Drop-in folder name -> its ".conf" files, in the order of the search path.
  std::map<std::string, std::vector<std::string>> drop_ins;

  static SearchPath Read(const LiveRoot& where) {
    SearchPath search;
    for (const UnitDirectory& dir : kUnitDirectories) {
      for (const std::string& name : ListDirectory(where, dir.path)) {
        std::string path = std::string(dir.path) + "/" + name;
        if (IsServiceName(name)) {
          Location location{&dir, ReadLink(where, path)};
          if (dir.config && location.link && IsAlias(name, *location.link)) {
            search.config_aliases.insert(name);
          }
          search.units[name].push_back(std::move(location));
        } else if (EndsWith(name, ".service.d") || name == "service.d") {
          for (const std::string& file : ListDirectory(where, path)) {
            if (EndsWith(file, ".conf")) search.drop_ins[name].push_back(path + "/" + file);
          }
        } else if (EndsWith(name, ".wants") || EndsWith(name, ".requires") ||
                   EndsWith(name, ".upholds")) {
          for (const std::string& linked : ListDirectory(where, path)) {
            if (!IsServiceName(linked)) continue;
            search.wanted.insert(linked);
            if (dir.config) search.linked_config.insert(linked);
          }
        }
      }
    }
    return search;
  }

  // A link to a unit file of another name makes `name` an alias of that unit.
  static bool IsAlias(std::string_view name, std::string_view link) {
    return link != "/dev/null" && BaseName(link) != name;
  }

  const std::vector<Location>* Find(const std::string& name) const {
    auto it = units.find(name);
    return it == units.end() ? nullptr : &it->second;
  }
};

// The unit file of a unit and whether it is masked.
struct Fragment {
  std::string text;  // empty: none
  const UnitDirectory* directory = nullptr;
  bool masked = false;
};

Fragment FindFragment(const LiveRoot& where, const SearchPath& search, const std::string& name) {
  Fragment fragment;
  for (const std::string& candidate : {name, IsInstance(name) ? TemplateOf(name) : std::string()}) {
    const std::vector<Location>* locations = search.Find(candidate);
    if (locations == nullptr) continue;
    for (const Location& location : *locations) {
      if (location.link && *location.link == "/dev/null") {
        fragment.masked = true;
        continue;
      }
      std::string path = location.Path(candidate);
      std::optional<std::string> text = ReadFile(where, path);
      if (!text) continue;
      if (Trim(*text).empty()) {
        fragment.masked = true;  // an empty unit file masks, as a link to /dev/null does
        continue;
      }
      fragment.text = std::move(*text);
      fragment.directory = location.directory;
      return fragment;
    }
  }
  return fragment;
}

// The drop-in folders of a unit, most specific first: "a-b@c.service.d",
// "a-b@.service.d", "a-b-.service.d", "a-.service.d", "service.d".
std::vector<std::string> DropInFolders(const std::string& name) {
  std::vector<std::string> folders{name + ".d"};
  if (IsInstance(name)) folders.push_back(TemplateOf(name) + ".d");
  std::string_view prefix = std::string_view(name).substr(0, name.find_first_of("@."));
  for (size_t dash = prefix.rfind('-'); dash != std::string_view::npos && dash > 0;
       dash = prefix.rfind('-', dash - 1)) {
    folders.push_back(std::string(prefix.substr(0, dash + 1)) + std::string(kSuffix) + ".d");
  }
  folders.push_back("service.d");
  return folders;
}

// The drop-in files of a unit in the order they apply: by file name; for one
// file name, the one of the most specific folder and, among those, of the
// earliest directory of the search path wins.
std::vector<std::string> DropIns(const SearchPath& search, const std::string& name) {
  std::map<std::string, std::string> by_name;
  for (const std::string& folder : DropInFolders(name)) {
    auto found = search.drop_ins.find(folder);
    if (found == search.drop_ins.end()) continue;
    for (const std::string& path : found->second) by_name.emplace(std::string(BaseName(path)), path);
  }
  std::vector<std::string> files;
  for (auto& [file, path] : by_name) files.push_back(std::move(path));
  return files;
}

// The settings of a unit file, by section and key, each with its assignments
// in order; an empty assignment clears what came before, as the manager does.
class UnitSettings {
 public:
  void Parse(std::string_view text) {
    std::string section;
    std::string line;
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find('\n', start);
      if (end == std::string_view::npos) end = text.size();
      std::string_view raw = text.substr(start, end - start);
      start = end + 1;
      if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
      std::string_view trimmed = Trim(raw);
      // Comment lines are skipped, also between the lines of a continued setting.
      if (!trimmed.empty() && (trimmed[0] == '#' || trimmed[0] == ';')) continue;
      if (!trimmed.empty() && trimmed.back() == '\\') {
        line += std::string(trimmed.substr(0, trimmed.size() - 1)) + " ";
        continue;
      }
      line += std::string(trimmed);
      Take(line, section);
      line.clear();
    }
    if (!line.empty()) Take(line, section);
  }

  const std::vector<std::string>& Values(const std::string& section, const std::string& key) const {
    static const std::vector<std::string> kNone;
    auto it = values_.find(section + "\n" + key);
    return it == values_.end() ? kNone : it->second;
  }
  std::string Last(const std::string& section, const std::string& key) const {
    const std::vector<std::string>& values = Values(section, key);
    return values.empty() ? std::string() : values.back();
  }
  bool HasSection(const std::string& section) const { return sections_.count(section) != 0; }

 private:
  void Take(const std::string& line, std::string& section) {
    std::string_view text = Trim(line);
    if (text.empty()) return;
    if (text.front() == '[' && text.back() == ']') {
      section = std::string(text.substr(1, text.size() - 2));
      sections_.insert(section);
      return;
    }
    size_t equals = text.find('=');
    if (equals == std::string_view::npos || section.empty()) return;
    std::vector<std::string>& values =
        values_[section + "\n" + std::string(Trim(text.substr(0, equals)))];
    std::string value(Trim(text.substr(equals + 1)));
    if (value.empty()) {
      values.clear();
    } else {
      values.push_back(std::move(value));
    }
  }

  std::map<std::string, std::vector<std::string>> values_;
  std::set<std::string> sections_;
};

// The words of a list setting ("Requires=a.service b.service").
std::vector<std::string> Words(const std::vector<std::string>& values) {
  std::vector<std::string> words;
  for (const std::string& value : values) {
    size_t start = 0;
    while ((start = value.find_first_not_of(" \t", start)) != std::string::npos) {
      size_t end = value.find_first_of(" \t", start);
      words.push_back(value.substr(start, end - start));
      start = end;
    }
  }
  return words;
}

// "\x2d" escapes and "-" for "/": the unescaped form of a unit name part.
std::string Unescape(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '-') {
      out += '/';
    } else if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x' &&
               std::isxdigit(static_cast<unsigned char>(text[i + 2])) &&
               std::isxdigit(static_cast<unsigned char>(text[i + 3]))) {
      out += static_cast<char>(std::stoi(std::string(text.substr(i + 2, 2)), nullptr, 16));
      i += 3;
    } else {
      out += text[i];
    }
  }
  return out;
}

// Replaces the unit-name specifiers (%n %N %p %P %i %I %%); any other
// specifier is kept as written.
std::string Specifiers(const std::string& text, const std::string& name) {
  std::string stem = name.substr(0, name.size() - kSuffix.size());
  size_t at = stem.find('@');
  std::string prefix = stem.substr(0, at);
  std::string instance = at == std::string::npos ? std::string() : stem.substr(at + 1);
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    switch (text[++i]) {
      case 'n': out += name; break;
      case 'N': out += stem; break;
      case 'p': out += prefix; break;
      case 'P': out += Unescape(prefix); break;
      case 'i': out += instance; break;
      case 'I': out += Unescape(instance); break;
      case '%': out += '%'; break;
      default: out += text.substr(i - 1, 2);
    }
  }
  return out;
}

bool IsTrue(const std::string& value) {
  return value == "yes" || value == "true" || value == "on" || value == "1";
}

// The program of an ExecStart= line and its arguments. The line may start
// with the manager's prefixes ("-", "@", "+", ":", "!", "!!", "|"); after "@"
// the second word is the name the program is given, not an argument. The
// program may be quoted, and a bare name is looked for in the usual folders.
void ReadCommandLine(const LiveRoot& where, std::string_view line, UnitService& unit) {
  bool renamed = false;
  while (!line.empty() && std::string_view("-@+:!|").find(line.front()) != std::string_view::npos) {
    renamed = renamed || line.front() == '@';
    line.remove_prefix(1);
  }
  auto next_word = [&line]() {
    line = Trim(line);
    if (line.empty()) return std::string();
    size_t end;
    std::string word;
    if (line.front() == '"' || line.front() == '\'') {
      end = line.find(line.front(), 1);
      word = std::string(line.substr(1, end == std::string_view::npos ? end : end - 1));
      end = end == std::string_view::npos ? line.size() : end + 1;
    } else {
      end = std::min(line.find_first_of(" \t"), line.size());
      word = std::string(line.substr(0, end));
    }
    line.remove_prefix(end);
    return word;
  };
  std::string program = next_word();
  if (renamed) next_word();
  unit.arguments = std::string(Trim(line));
  if (!program.empty() && program.find('/') == std::string::npos) {
    for (const char* dir : kProgramDirectories) {
      std::string candidate = std::string(dir) + "/" + program;
      if (IsFile(where, candidate)) {
        program = candidate;
        break;
      }
    }
  }
  unit.program = program;
}

UnitEnablement Enablement(const SearchPath& search, const Fragment& fragment,
                          const UnitSettings& settings, const std::string& name) {
  if (fragment.masked) return UnitEnablement::kMasked;
  if (search.linked_config.count(name) != 0) return UnitEnablement::kEnabled;
  std::vector<std::string> aliases = Words(settings.Values("Install", "Alias"));
  for (const std::string& alias : aliases) {
    if (search.config_aliases.count(Specifiers(alias, name)) != 0) return UnitEnablement::kEnabled;
  }
  if (fragment.directory != nullptr && fragment.directory->generated) return UnitEnablement::kStatic;
  bool installable = !aliases.empty();
  for (const char* key : {"WantedBy", "RequiredBy", "UpheldBy"}) {
    installable = installable || !settings.Values("Install", key).empty();
  }
  return installable ? UnitEnablement::kDisabled : UnitEnablement::kStatic;
}

UnitService ReadUnit(const LiveRoot& where, const SearchPath& search, const std::string& name) {
  UnitService unit;
  unit.unit = name;
  Fragment fragment = FindFragment(where, search, name);
  UnitSettings settings;
  settings.Parse(fragment.text);
  // [Install] comes from the unit file alone; drop-ins change the rest.
  UnitSettings changed = settings;
  if (!fragment.masked) {
    for (const std::string& path : DropIns(search, name)) {
      changed.Parse(ReadFile(where, path).value_or(""));
    }
  }
  unit.enablement = Enablement(search, fragment, settings, name);
  unit.description = Specifiers(changed.Last("Unit", "Description"), name);
  const std::vector<std::string>& exec = changed.Values("Service", "ExecStart");
  if (!exec.empty()) ReadCommandLine(where, Specifiers(exec.front(), name), unit);
  for (const char* key : {"Requires", "Requisite", "BindsTo"}) {
    for (const std::string& word : Words(changed.Values("Unit", key))) {
      std::string needed = Specifiers(word, name);
      if (std::find(unit.needs.begin(), unit.needs.end(), needed) == unit.needs.end()) {
        unit.needs.push_back(needed);
      }
    }
  }
  unit.user = Specifiers(changed.Last("Service", "User"), name);
  if (unit.user.empty() && IsTrue(changed.Last("Service", "DynamicUser"))) {
    unit.user = name.substr(0, name.size() - kSuffix.size());
  }
  return unit;
}

}  // namespace

std::vector<UnitService> ReadUnitServices(const LiveRoot& where, const std::vector<std::string>& also) {
  SearchPath search = SearchPath::Read(where);
  std::set<std::string> names;
  for (const auto& [name, locations] : search.units) {
    const Location& first = locations.front();
    if (!IsTemplate(name) && !(first.link && SearchPath::IsAlias(name, *first.link))) {
      names.insert(name);
    }
  }
  for (const std::string& name : search.wanted) {
    if (IsInstance(name)) names.insert(name);
  }
  for (const std::string& name : also) {
    if (IsServiceName(name) && !IsTemplate(name)) names.insert(name);
  }
  std::vector<UnitService> units;
  for (const std::string& name : names) units.push_back(ReadUnit(where, search, name));
  return units;
}

}  // namespace tov::machine::live
