// The live machine's Service Control Manager: systemd service units as Win32
// services, kernel drivers as driver services, and the image files of both
// with version resources built from the package database and module fields.
// docs/live-machine.md ("Services") gives the mapping field by field.
#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/machine/live/live_files.h"
#include "platform/machine/live/live_services_drivers.h"
#include "platform/machine/live/live_services_units.h"
#include "platform/machine/live/live_services_versions.h"
#include "platform/machine/live/live_source.h"
#include "platform/machine/text_case.h"
#include "win32_api.h"

namespace tov::machine::live {

namespace {

constexpr std::string_view kUnitSuffix = ".service";

// What the manager will hold for one service; gathered first so that the
// services can be added in the manager's order, by name.
struct ServiceEntry {
  std::string name;
  std::string display_name;
  std::string description;
  uint32_t type = SERVICE_WIN32_OWN_PROCESS;
  SERVICE_STATUS status{};
  uint32_t start_type = SERVICE_DEMAND_START;
  std::string image_path;
  std::vector<std::string> dependencies;
  std::string start_name;
};

uint32_t UnitStartType(UnitEnablement enablement) {
  switch (enablement) {
    case UnitEnablement::kEnabled: return SERVICE_AUTO_START;
    case UnitEnablement::kStatic: return SERVICE_DEMAND_START;
    case UnitEnablement::kDisabled:
    case UnitEnablement::kMasked: return SERVICE_DISABLED;
  }
  return SERVICE_DEMAND_START;
}

// The status of a unit from the manager's active state; a unit the manager
// has not loaded, or any unit when no manager runs, is stopped.
void SetUnitStatus(const UnitState* state, SERVICE_STATUS& status) {
  status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  status.dwCurrentState = SERVICE_STOPPED;
  if (state == nullptr) return;
  const std::string& active = state->active_state;
  if (active == "active" || active == "reloading") {
    status.dwCurrentState = SERVICE_RUNNING;
    status.dwControlsAccepted = SERVICE_ACCEPT_STOP;
  } else if (active == "activating") {
    status.dwCurrentState = SERVICE_START_PENDING;
  } else if (active == "deactivating") {
    status.dwCurrentState = SERVICE_STOP_PENDING;
  } else if (active == "failed") {
    status.dwWin32ExitCode = ERROR_SERVICE_SPECIFIC_ERROR;
    status.dwServiceSpecificExitCode = static_cast<uint32_t>(state->exit_status);
  }
}

// A program path with a blank is quoted, so that the path ends where the
// manager's command line says it does.
std::string CommandLine(const UnitService& unit) {
  if (unit.program.empty()) return {};
  std::string line = unit.program.find(' ') == std::string::npos ? unit.program
                                                                  : "\"" + unit.program + "\"";
  if (!unit.arguments.empty()) line += " " + unit.arguments;
  return line;
}

ServiceEntry DriverEntry(const KernelDriver& driver) {
  ServiceEntry e;
  e.name = driver.name;
  e.display_name = driver.facts.description.empty() ? driver.name : driver.facts.description;
  e.description = driver.facts.description;
  e.type = driver.file_system ? SERVICE_FILE_SYSTEM_DRIVER : SERVICE_KERNEL_DRIVER;
  e.status.dwServiceType = e.type;
  if (driver.built_in) {
    e.status.dwCurrentState = SERVICE_RUNNING;
    e.start_type = SERVICE_BOOT_START;
  } else {
    e.status.dwCurrentState = driver.initstate == "coming"  ? SERVICE_START_PENDING
                              : driver.initstate == "going" ? SERVICE_STOP_PENDING
                                                            : SERVICE_RUNNING;
    if (e.status.dwCurrentState == SERVICE_RUNNING) e.status.dwControlsAccepted = SERVICE_ACCEPT_STOP;
    e.start_type = driver.loaded_at_boot ? SERVICE_SYSTEM_START : SERVICE_DEMAND_START;
  }
  e.image_path = driver.image;
  e.dependencies = driver.needs;
  return e;
}

// The version resources of the image files that exist, from their packages
// and module fields.
std::map<std::string, std::vector<uint8_t>> ImageVersions(
    const LiveRoot& where, const std::map<std::string, const ModuleFacts*>& images) {
  std::set<std::string> present;
  for (const auto& [path, module] : images) {
    if (IsFile(where, path)) present.insert(path);
  }
  PackageOwners owners = PackageOwners::Find(where, present);
  std::map<std::string, std::vector<uint8_t>> blocks;
  for (const std::string& path : present) {
    blocks[path] = BuildVersionBlock(path, owners.OwnerOf(path), images.at(path));
  }
  return blocks;
}

}  // namespace

std::function<void(Machine&)> ReadLiveServices(const LiveRoot& where) {
  return ReadLiveServices(where, LoadedUnitStates(where));
}

std::function<void(Machine&)> ReadLiveServices(const LiveRoot& where,
                                               const std::map<std::string, UnitState>& states) {
  std::vector<std::string> loaded;
  for (const auto& [unit, state] : states) loaded.push_back(unit);
  std::vector<UnitService> units = ReadUnitServices(where, loaded);
  std::vector<KernelDriver> drivers = ReadKernelDrivers(where);

  // Drivers keep their names, which device nodes give as their service; a
  // unit is named without ".service" unless a driver has that name.
  std::set<std::string, LessIgnoreCase> driver_names;
  for (const KernelDriver& driver : drivers) driver_names.insert(driver.name);
  auto service_name = [&driver_names](const std::string& unit) {
    std::string stem = unit.substr(0, unit.size() - kUnitSuffix.size());
    return driver_names.count(stem) != 0 ? unit : stem;
  };

  std::vector<ServiceEntry> entries;
  std::map<std::string, const ModuleFacts*> images;  // image file -> its module's fields, if any
  for (const KernelDriver& driver : drivers) {
    entries.push_back(DriverEntry(driver));
    if (!driver.image.empty()) images[driver.image] = driver.built_in ? nullptr : &driver.facts;
  }
  for (const UnitService& unit : units) {
    auto state = states.find(unit.unit);
    ServiceEntry e;
    e.name = service_name(unit.unit);
    e.description = unit.description;
    if (e.description.empty() && state != states.end()) e.description = state->second.description;
    e.display_name = e.description.empty() ? unit.unit : e.description;
    SetUnitStatus(state != states.end() ? &state->second : nullptr, e.status);
    e.start_type = UnitStartType(unit.enablement);
    e.image_path = CommandLine(unit);
    // Units of other kinds (targets, sockets, mounts) are what a group is
    // to the manager: a dependency on one is written as a group.
    for (const std::string& needed : unit.needs) {
      bool service = needed.size() > kUnitSuffix.size() &&
                     needed.compare(needed.size() - kUnitSuffix.size(), kUnitSuffix.size(),
                                    kUnitSuffix) == 0;
      e.dependencies.push_back(service ? service_name(needed) : "+" + needed);
    }
    e.start_name = unit.user.empty() ? "LocalSystem" : unit.user;
    entries.push_back(std::move(e));
    if (!unit.program.empty() && unit.program[0] == '/') images.emplace(unit.program, nullptr);
  }
  std::map<std::string, std::vector<uint8_t>> versions = ImageVersions(where, images);

  std::sort(entries.begin(), entries.end(), [](const ServiceEntry& a, const ServiceEntry& b) {
    return LessIgnoreCase()(a.name, b.name);
  });
  return [entries = std::move(entries), versions = std::move(versions)](Machine& machine) {
    for (const auto& [path, block] : versions) machine.File(path).VersionBlock(block);
    for (const ServiceEntry& e : entries) {
      MachineService& service = machine.AddService(e.name);
      service.Type(e.type).Status(e.status);
      service.DisplayName(e.display_name).StartType(e.start_type).ErrorControl(SERVICE_ERROR_NORMAL);
      if (!e.image_path.empty()) service.ImagePath(e.image_path);
      if (!e.dependencies.empty()) service.Dependencies(e.dependencies);
      if (!e.start_name.empty()) service.StartName(e.start_name);
      if (!e.description.empty()) service.Description(e.description);
    }
  };
}

void LoadLiveServices(const LiveRoot& where, Machine& machine) { ReadLiveServices(where)(machine); }

}  // namespace tov::machine::live
