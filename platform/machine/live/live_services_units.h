/// systemd service units as the live source reads them: the unit files in the
/// manager's search path with their drop-ins, whether each unit is enabled,
/// and, when the manager runs, the state of the loaded units from the system
/// bus. The services loader maps them onto Win32 services.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/machine/live/live_source.h"

struct sd_bus;  // libsystemd's bus connection

namespace tov::machine::live {

/// How a unit is installed, as the manager would say it.
enum class UnitEnablement {
  kEnabled,   // linked into a target's wants or requires, or by an alias
  kStatic,    // no [Install] section, only Also= (indirect), generated or transient
  kDisabled,  // an [Install] section, but not linked
  kMasked,    // linked to /dev/null, or an empty unit file
};

/// One service unit.
struct UnitService {
  std::string unit;         // "cron.service", "getty@tty1.service"
  std::string description;  // Description=
  std::string program;      // the program ExecStart= runs (a system path); empty: none
  std::string arguments;    // the rest of that command line
  std::vector<std::string> needs;  // Requires=, Requisite= and BindsTo=, in order, once each
  std::string user;         // User=, or the unit's name for DynamicUser=yes; empty: root
  UnitEnablement enablement = UnitEnablement::kStatic;
};

/// The service units of the unit files below the root, sorted by name:
/// every unit file that is neither a template nor an alias, the template
/// instances linked into a target, and the units named in `also` (units the
/// running manager has loaded, such as instances started on demand).
std::vector<UnitService> ReadUnitServices(const LiveRoot& where,
                                          const std::vector<std::string>& also = {});

/// A loaded unit's state, as the running manager reports it.
struct UnitState {
  std::string description;
  std::string active_state;  // "active", "inactive", "failed", "activating", ...
  int32_t exit_status = 0;   // the main process's exit status, for a failed unit
};

/// The loaded service units of the running manager, by unit name. Empty when
/// the root is not "/" (a captured tree has no manager), when systemd does
/// not run, or when the bus cannot be reached.
std::map<std::string, UnitState> LoadedUnitStates(const LiveRoot& where);
/// The same, asked of the manager at the other end of `bus` (a started
/// connection); empty when it does not answer within two seconds.
std::map<std::string, UnitState> UnitStatesOver(sd_bus* bus);

/// ReadLiveServices (live_source.h) with the manager's states given rather
/// than asked for: the states of units with files, and the loaded units
/// without one of their own (instances, transient units).
std::function<void(Machine&)> ReadLiveServices(const LiveRoot& where,
                                               const std::map<std::string, UnitState>& states);

}  // namespace tov::machine::live
