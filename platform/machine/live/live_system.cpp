// The live machine's computer: its name, the folder that stands for the
// Windows directory, processor facts from /proc/cpuinfo and the version from
// the kernel's release and the distribution's name.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>

#include "platform/machine/live/live_source.h"
#include "platform/machine/live/live_files.h"
#include "win32/strings.h"

namespace tov::machine::live {

namespace {

// Where the operating system keeps its own programs, libraries and kernel
// modules, as Windows keeps its own in the Windows directory.
constexpr char kSystemDirectory[] = "/usr";
constexpr uint16_t kArchitectureIntel = 0;       // PROCESSOR_ARCHITECTURE_INTEL
constexpr uint16_t kArchitectureUnknown = 0xFFFF;  // PROCESSOR_ARCHITECTURE_UNKNOWN
constexpr uint32_t kProcessorPentium = 586;      // PROCESSOR_INTEL_PENTIUM
constexpr uint32_t kMostProcessors = 32;         // a 32-bit program sees at most 32
constexpr uint16_t kWorkstation = 1;             // VER_NT_WORKSTATION
constexpr size_t kNetBiosNameLength = 15;

// The NetBIOS form of a host name: its first label, upper-cased, at most 15 characters.
std::string NetBiosName(const std::string& host) {
  std::string name = host.substr(0, host.find('.')).substr(0, kNetBiosNameLength);
  for (char& c : name) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return name;
}

void LoadProcessor(const LiveRoot& where, SystemModel& system) {
  std::istringstream cpuinfo(ReadFile(where, "/proc/cpuinfo").value_or(""));
  uint32_t processors = 0;
  std::map<std::string, std::string> first;  // the fields of the first processor
  std::string line;
  while (std::getline(cpuinfo, line)) {
    size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::string key = line.substr(0, line.find_last_not_of(" \t", colon - 1) + 1);
    size_t begin = line.find_first_not_of(" \t", colon + 1);
    std::string value = begin == std::string::npos ? "" : line.substr(begin);
    if (key == "processor") ++processors;
    if (processors <= 1) first.emplace(key, value);
  }
  // A 32-bit program on an x86 processor sees an Intel-architecture
  // processor of the family (level), model and stepping (revision) the
  // processor reports; of other processors it knows nothing.
  if (first.count("vendor_id") != 0) {
    auto number = [&](const char* key) {
      auto found = first.find(key);
      return found == first.end() ? 0u : static_cast<unsigned>(std::strtoul(found->second.c_str(), nullptr, 10));
    };
    system.Architecture(kArchitectureIntel, kProcessorPentium)
        .ProcessorLevel(static_cast<uint16_t>(number("cpu family")),
                        static_cast<uint16_t>((number("model") & 0xFF) << 8 | (number("stepping") & 0xFF)));
  } else {
    system.Architecture(kArchitectureUnknown, 0).ProcessorLevel(0, 0);
  }
  uint32_t seen = processors < kMostProcessors ? processors : kMostProcessors;
  system.Processors(seen).ActiveProcessorMask(seen == 32 ? 0xFFFFFFFFu : (1u << seen) - 1);
  long page = sysconf(_SC_PAGESIZE);
  system.PageSize(page > 0 ? static_cast<uint32_t>(page) : 0, system.Processor().allocation_granularity);
}

// The value of `key` in an os-release file: KEY=VALUE lines, the value
// possibly quoted, with backslash escapes inside quotes.
std::string OsReleaseValue(const std::string& text, const std::string& key) {
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (line.compare(0, key.size() + 1, key + "=") != 0) continue;
    std::string raw = line.substr(key.size() + 1);
    if (raw.empty() || (raw[0] != '"' && raw[0] != '\'')) return raw;
    std::string value;
    for (size_t i = 1; i < raw.size() && raw[i] != raw[0]; ++i) {
      if (raw[i] == '\\' && i + 1 < raw.size()) ++i;
      value += raw[i];
    }
    return value;
  }
  return {};
}

void LoadVersion(const LiveRoot& where, SystemModel& system) {
  // "6.1.0-18-amd64": version 6.1, build 0.
  std::string release = ReadAttribute(where, "/proc/sys/kernel/osrelease");
  unsigned major = 0, minor = 0, build = 0;
  std::sscanf(release.c_str(), "%u.%u.%u", &major, &minor, &build);
  // The distribution's name in the service-pack text ("Debian GNU/Linux 12
  // (bookworm)"); os-release lives in /etc, or in /usr/lib when /etc has none.
  std::optional<std::string> os_release = ReadFile(where, "/etc/os-release");
  if (!os_release) os_release = ReadFile(where, "/usr/lib/os-release");
  std::string name = OsReleaseValue(os_release.value_or(""), "PRETTY_NAME");
  if (name.empty()) name = OsReleaseValue(os_release.value_or(""), "NAME");
  system.Version(major, minor, build).ServicePack(name, 0, 0).Suite(0, kWorkstation);
}

}  // namespace

void LoadLiveSystem(const LiveRoot& where, Machine& machine) {
  // Linux texts are UTF-8.
  machine.AnsiCodePage(CP_UTF8);
  // The kernel's host name, which uname reports as the node name.
  machine.ComputerName(
      NetBiosName(ReadAttribute(where, "/proc/sys/kernel/hostname")));
  machine.WindowsDirectory(kSystemDirectory);
  LoadProcessor(where, machine.System());
  LoadVersion(where, machine.System());
}

}  // namespace tov::machine::live
