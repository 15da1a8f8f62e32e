#include "platform/machine/live/live_services_versions.h"

#include <bitset>
#include <stdexcept>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/machine/live/live_files.h"
#include "platform/machine/live/live_threads.h"
#include "platform/machine/version_resource.h"

namespace tov::machine::live {

namespace {

constexpr const char* kDpkgInfo = "/var/lib/dpkg/info";
constexpr const char* kDpkgStatus = "/var/lib/dpkg/status";

// The other name of a path on a merged /usr: "/usr/lib/x" for "/lib/x" and back.
std::string MergedUsrAlias(const std::string& path) {
  for (const char* top : {"/bin/", "/sbin/", "/lib/", "/lib32/", "/lib64/", "/libx32/"}) {
    std::string_view t(top);
    if (path.compare(0, t.size(), t) == 0) return "/usr" + path;
    if (path.compare(0, 4 + t.size(), "/usr" + std::string(t)) == 0) return path.substr(4);
  }
  return {};
}

// The facts of the installed packages among `wanted` (keys "name" or
// "name:arch") from the status file.
std::map<std::string, PackageFacts> ReadStatus(const LiveRoot& where,
                                               const std::set<std::string>& wanted) {
  std::map<std::string, PackageFacts> found;
  LineReader status;
  if (!status.Open(where, kDpkgStatus)) return found;

  PackageFacts facts;
  std::string arch, state;
  auto finish = [&] {
    if (!facts.name.empty() && state.size() >= 10 &&
        state.compare(state.size() - 10, 10, " installed") == 0) {
      for (const std::string& key : {facts.name, facts.name + ":" + arch}) {
        if (wanted.count(key) != 0 && found.count(key) == 0) found[key] = facts;
      }
    }
    facts = PackageFacts();
    arch.clear();
    state.clear();
  };
  status.ForEachLine(0, [&](std::string_view line, uint64_t) {
    if (Trim(line).empty()) {
      finish();
      return true;
    }
    if (line[0] == ' ' || line[0] == '\t') return true;  // continuation of the last field
    size_t colon = line.find(':');
    if (colon == std::string_view::npos) return true;
    std::string_view field = line.substr(0, colon);
    std::string value(Trim(line.substr(colon + 1)));
    if (field == "Package") facts.name = value;
    else if (field == "Architecture") arch = value;
    else if (field == "Status") state = value;
    else if (field == "Version") facts.version = value;
    else if (field == "Maintainer") facts.maintainer = value;
    else if (field == "Description") facts.summary = value;
    return true;
  });
  finish();
  return found;
}

void AddString(VersionResource& resource, std::string_view name, const std::string& value) {
  if (!value.empty()) resource.String("040904b0", name, value);
}

}  // namespace

PackageOwners PackageOwners::Find(const LiveRoot& where, const std::set<std::string>& paths) {
  // Each name a file may be listed under -> the path asked for.
  std::map<std::string, std::string, std::less<>> wanted;
  for (const std::string& path : paths) {
    wanted.emplace(path, path);
    std::string alias = MergedUsrAlias(path);
    if (!alias.empty()) wanted.emplace(alias, path);
  }
  // The file lists hold a few hundred thousand lines and only a few hundred
  // are wanted: most lines are ruled out by their length and last character
  // alone, the rest by a hash lookup.
  std::unordered_map<std::string_view, const std::string*> by_name;
  std::vector<std::bitset<256>> wanted_ends;  // by length: the last characters wanted
  for (const auto& [name, path] : wanted) {
    by_name.emplace(name, &path);
    if (wanted_ends.size() <= name.size()) wanted_ends.resize(name.size() + 1);
    if (!name.empty()) wanted_ends[name.size()].set(static_cast<unsigned char>(name.back()));
  }
  auto may_be_wanted = [&wanted_ends](std::string_view line) {
    return !line.empty() && line.size() < wanted_ends.size() &&
           wanted_ends[line.size()].test(static_cast<unsigned char>(line.back()));
  };

  std::vector<std::string> lists;
  std::optional<std::string> info = ResolvePath(where, kDpkgInfo);
  if (!wanted.empty() && info) {
    for (std::string& name : ListDirectory(where, *info)) {
      if (name.size() > 5 && name.compare(name.size() - 5, 5, ".list") == 0) lists.push_back(std::move(name));
    }
  }
  // The wanted paths the lists [begin, end) name, with the list naming each.
  using Found = std::vector<std::pair<const std::string*, size_t>>;
  auto scan = [&](size_t begin, size_t end) {
    Found found;
    LineReader reader;  // one for all lists, which add up to megabytes
    for (size_t i = begin; i < end; ++i) {
      if (!reader.OpenIn(where, *info, lists[i])) continue;
      reader.ForEachLine(0, [&](std::string_view line, uint64_t) {
        if (!may_be_wanted(line)) return true;
        auto it = by_name.find(line);
        if (it != by_name.end()) found.emplace_back(it->second, i);
        return true;
      });
    }
    return found;
  };
  // The two halves are read at once; the first list to name a file owns it,
  // as when they are read in order.
  size_t half = lists.size() / 2;
  auto second = StartBeside([&] { return scan(half, lists.size()); });
  Found first = scan(0, half);
  Found rest = second.get();

  PackageOwners owners;
  std::set<std::string> keys;
  for (const Found* part : {&first, &rest}) {
    for (const auto& [path, list] : *part) {
      std::string key = lists[list].substr(0, lists[list].size() - 5);
      if (owners.owner_.emplace(*path, key).second) keys.insert(key);
    }
  }
  owners.packages_ = ReadStatus(where, keys);
  return owners;
}

const PackageFacts* PackageOwners::OwnerOf(const std::string& path) const {
  auto owner = owner_.find(path);
  if (owner == owner_.end()) return nullptr;
  auto facts = packages_.find(owner->second);
  return facts == packages_.end() ? nullptr : &facts->second;
}

VersionNumbers ParseVersionNumbers(const std::string& text) {
  std::string_view version(text);
  size_t epoch = version.find(':');
  if (epoch != std::string_view::npos) version.remove_prefix(epoch + 1);
  size_t dash = version.rfind('-');
  std::string_view upstream = version.substr(0, dash);
  std::string_view revision = dash == std::string_view::npos ? "" : version.substr(dash + 1);

  // The first `count` runs of digits of `part`, into `out`.
  auto numbers = [](std::string_view part, uint16_t* out, int count) {
    size_t i = 0;
    for (int n = 0; n < count; ++n) {
      while (i < part.size() && (part[i] < '0' || part[i] > '9')) ++i;
      if (i == part.size()) return;
      uint32_t value = 0;
      for (; i < part.size() && part[i] >= '0' && part[i] <= '9'; ++i) {
        value = value * 10 + static_cast<uint32_t>(part[i] - '0');
        if (value > 0xFFFF) value = 0xFFFF;
      }
      out[n] = static_cast<uint16_t>(value);
    }
  };
  VersionNumbers result;
  numbers(upstream, result.part, 3);
  // A revision that does not start with a digit ("amd64") has no number.
  if (!revision.empty() && revision[0] >= '0' && revision[0] <= '9') {
    numbers(revision, result.part + 3, 1);
  }
  return result;
}

std::vector<uint8_t> BuildVersionBlock(const std::string& path, const PackageFacts* package,
                                       const ModuleFacts* module) {
  if (package == nullptr && module == nullptr) return {};
  static const PackageFacts kNoPackage;
  static const ModuleFacts kNoModule;
  const PackageFacts& p = package != nullptr ? *package : kNoPackage;
  const ModuleFacts& m = module != nullptr ? *module : kNoModule;

  std::string file_name(BaseName(path));
  std::string file_version = !m.version.empty() ? m.version
                             : !m.release.empty() ? m.release
                                                  : p.version;
  std::string product_version = !p.version.empty() ? p.version : m.release;

  VersionNumbers fv = ParseVersionNumbers(file_version);
  VersionNumbers pv = ParseVersionNumbers(product_version);
  VersionResource resource;
  resource.FileVersion(fv.part[0], fv.part[1], fv.part[2], fv.part[3])
      .ProductVersion(pv.part[0], pv.part[1], pv.part[2], pv.part[3])
      .FileType(module != nullptr ? VFT_DRV : VFT_APP)
      .Translation(0x0409, 0x04B0);
  AddString(resource, "FileVersion", file_version);
  AddString(resource, "FileDescription", !m.description.empty() ? m.description : p.summary);
  AddString(resource, "CompanyName", p.maintainer);
  AddString(resource, "ProductName", p.name);
  AddString(resource, "ProductVersion", product_version);
  AddString(resource, "InternalName", !m.name.empty() ? m.name : file_name);
  AddString(resource, "OriginalFilename", file_name);
  AddString(resource, "LegalCopyright", m.license);
  AddString(resource, "Comments", m.author);
  try {
    return resource.Build();
  } catch (const std::length_error&) {
    return {};  // texts too long for a block: the file has no version resource
  }
}

}  // namespace tov::machine::live
