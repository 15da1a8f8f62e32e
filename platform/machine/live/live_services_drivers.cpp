// Kernel drivers from sysfs, module files and fields from libkmod.
#include "platform/machine/live/live_services_drivers.h"

#include <libkmod.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string_view>

#include "platform/machine/live/live_files.h"

namespace tov::machine::live {

namespace {

// Where modules to load at boot are listed, besides /etc/modules.
constexpr const char* kModulesLoadDirectories[] = {"/etc/modules-load.d", "/run/modules-load.d",
                                                   "/usr/local/lib/modules-load.d",
                                                   "/usr/lib/modules-load.d", "/lib/modules-load.d"};

// Module names use '_' where driver and file names may use '-'.
std::string ModuleName(std::string_view name) {
  std::string out(name);
  std::replace(out.begin(), out.end(), '-', '_');
  return out;
}

// The names on the lines of a list file, without comments.
void AddListedNames(std::string_view text, std::set<std::string>& names) {
  size_t start = 0;
  while (start < text.size()) {
    size_t end = std::min(text.find('\n', start), text.size());
    std::string_view line = Trim(text.substr(start, end - start));
    start = end + 1;
    line = line.substr(0, line.find_first_of(" \t"));
    if (!line.empty() && line[0] != '#' && line[0] != ';') names.insert(ModuleName(line));
  }
}

std::set<std::string> ModulesLoadedAtBoot(const LiveRoot& where) {
  std::set<std::string> names;
  AddListedNames(ReadFile(where, "/etc/modules").value_or(""), names);
  for (const char* dir : kModulesLoadDirectories) {
    for (const std::string& file : ListDirectory(where, dir)) {
      if (file.size() > 5 && file.compare(file.size() - 5, 5, ".conf") == 0) {
        AddListedNames(ReadFile(where, std::string(dir) + "/" + file).value_or(""), names);
      }
    }
  }
  return names;
}

// The names of the registered file systems (/proc/filesystems: an optional
// "nodev", then the name).
std::set<std::string> FileSystems(const LiveRoot& where) {
  std::set<std::string> names;
  std::string text = ReadFile(where, "/proc/filesystems").value_or("");
  size_t start = 0;
  while (start < text.size()) {
    size_t end = std::min(text.find('\n', start), text.size());
    std::string_view line = Trim(std::string_view(text).substr(start, end - start));
    start = end + 1;
    size_t cut = line.find_last_of(" \t");
    if (!line.empty()) names.insert(std::string(cut == std::string_view::npos ? line : line.substr(cut + 1)));
  }
  return names;
}

struct KmodDeleter {
  void operator()(kmod_ctx* ctx) const { kmod_unref(ctx); }
};

// The module database of the running kernel release below the root. Only
// its own indexes are read: no configuration, and nothing of the host.
class ModuleDatabase {
 public:
  ModuleDatabase(const LiveRoot& where, const std::string& release)
      : where_(where), system_dir_("/lib/modules/" + release) {
    if (release.empty()) return;
    host_dir_ = where.Path(system_dir_);
    const char* const kNoConfiguration[] = {nullptr};
    ctx_.reset(kmod_new(host_dir_.c_str(), kNoConfiguration));
    if (ctx_) {
      kmod_set_log_priority(ctx_.get(), 0);
      kmod_load_resources(ctx_.get());
    }
  }

  // The module's file (a system path, empty when unknown or built in) and
  // its fields; the version falls back to the one sysfs shows.
  void Describe(const std::string& module, std::string& image, ModuleFacts& facts) const {
    facts.name = module;
    kmod_module* mod = nullptr;
    if (ctx_ && kmod_module_new_from_name(ctx_.get(), module.c_str(), &mod) == 0) {
      if (const char* path = kmod_module_get_path(mod)) image = SystemPath(path);
      kmod_list* info = nullptr;
      if (kmod_module_get_info(mod, &info) >= 0) {
        kmod_list* entry;
        kmod_list_foreach(entry, info) {
          Take(kmod_module_info_get_key(entry), kmod_module_info_get_value(entry), facts);
        }
        kmod_module_info_free_list(info);
      }
      kmod_module_unref(mod);
    }
    if (facts.version.empty()) facts.version = ReadAttribute(where_, "/sys/module/" + module + "/version");
  }

 private:
  // libkmod answers with paths below the root's copy of the module folder.
  std::string SystemPath(std::string_view path) const {
    if (path.substr(0, host_dir_.size()) == host_dir_) {
      return system_dir_ + std::string(path.substr(host_dir_.size()));
    }
    return std::string(path);
  }

  static void Take(std::string_view key, const char* value, ModuleFacts& facts) {
    if (value == nullptr) return;
    std::string text(value);
    if (key == "version") {
      facts.version = text;
    } else if (key == "description") {
      facts.description = text;
    } else if (key == "license") {
      facts.license = text;
    } else if (key == "author") {
      facts.author += (facts.author.empty() ? "" : "; ") + text;
    } else if (key == "vermagic") {
      facts.release = text.substr(0, text.find(' '));
    }
  }

  const LiveRoot& where_;
  std::string system_dir_;
  std::string host_dir_;
  std::unique_ptr<kmod_ctx, KmodDeleter> ctx_;
};

}  // namespace

std::vector<KernelDriver> ReadKernelDrivers(const LiveRoot& where) {
  std::string release = ReadAttribute(where, "/proc/sys/kernel/osrelease");
  ModuleDatabase database(where, release);
  std::string kernel_image = release.empty() ? std::string() : "/boot/vmlinuz-" + release;

  // Loaded modules (those with an init state; the other entries of
  // /sys/module are parts of the kernel that have parameters).
  std::map<std::string, std::string> loaded;  // module -> init state
  for (const std::string& module : ListDirectory(where, "/sys/module")) {
    std::string state = ReadAttribute(where, "/sys/module/" + module + "/initstate");
    if (!state.empty()) loaded[module] = state;
  }

  // Drivers by name (the first bus that has one wins) with their module.
  std::map<std::string, std::string> drivers;  // driver -> module, empty when none is named
  for (const std::string& bus : ListDirectory(where, "/sys/bus")) {
    std::string folder = "/sys/bus/" + bus + "/drivers";
    for (const std::string& driver : ListDirectory(where, folder)) {
      std::optional<std::string> link = ReadLink(where, folder + "/" + driver + "/module");
      drivers.emplace(driver, link ? std::string(BaseName(*link)) : std::string());
    }
  }

  std::map<std::string, KernelDriver> by_name;
  std::map<std::string, std::string> service_of_module;  // loaded module -> its service
  for (const auto& [driver, module] : drivers) {
    if (loaded.count(module) != 0 && ModuleName(driver) == module) service_of_module[module] = driver;
  }
  for (const auto& [module, state] : loaded) service_of_module.emplace(module, module);

  std::set<std::string> at_boot = ModulesLoadedAtBoot(where);
  std::set<std::string> file_systems = FileSystems(where);
  for (const auto& [module, state] : loaded) {
    KernelDriver& k = by_name[service_of_module[module]];
    k.name = service_of_module[module];
    k.initstate = state;
    k.file_system = file_systems.count(module) != 0;
    k.loaded_at_boot = at_boot.count(module) != 0;
    database.Describe(module, k.image, k.facts);
    // A module needs the modules that list it among their holders.
    for (const std::string& holder : ListDirectory(where, "/sys/module/" + module + "/holders")) {
      if (loaded.count(holder) != 0) by_name[service_of_module[holder]].needs.push_back(k.name);
    }
  }
  for (const auto& [driver, module] : drivers) {
    auto owner = service_of_module.find(module);
    if (owner != service_of_module.end() && owner->second == driver) continue;  // done above
    KernelDriver& k = by_name[driver];
    k.name = driver;
    if (owner != service_of_module.end()) {
      // A driver of a loaded module of another name: the module's file and fields.
      const KernelDriver& m = by_name[owner->second];
      k.initstate = m.initstate;
      k.loaded_at_boot = m.loaded_at_boot;
      k.image = m.image;
      k.facts = m.facts;
      k.needs.push_back(m.name);
    } else {
      k.built_in = true;
      k.image = kernel_image;
      std::string ignored_image;
      database.Describe(module.empty() ? ModuleName(driver) : module, ignored_image, k.facts);
    }
  }

  std::vector<KernelDriver> out;
  for (auto& [name, k] : by_name) out.push_back(std::move(k));
  return out;
}

}  // namespace tov::machine::live
