/// The live source of the machine model: fills a Machine from the running
/// Linux system (sysfs, udev, kernel modules, systemd units, the journal, the
/// package database), with the Windows concepts mapped as docs/live-machine.md
/// describes. Everything is read below one root directory, so tests point it
/// at a captured tree under tests/fixtures and the program at "/".
///
/// Each domain has a loader of its own; LoadLiveMachine calls them all. A
/// loader never fails the whole machine: what it cannot read (no permission,
/// no journal, no systemd) it leaves empty, as the Windows program does.
#pragma once

#include <functional>
#include <string>

#include "platform/machine/machine.h"

namespace tov::machine::live {

/// Where the live source reads from. Every path the loaders open is `root`
/// joined with the absolute path on a real system ("/sys/devices/...",
/// "/etc/systemd/system/...", "/var/log/journal/..."), so a captured tree
/// has the same layout as the system it was taken from.
struct LiveRoot {
  std::string root = "/";
  /// Joins the root with an absolute system path.
  std::string Path(const std::string& system_path) const;
  /// Whether the root is the host's own "/" (Path then gives paths as they are).
  bool IsHost() const;
};

/// Device nodes, setup classes, driver packages and resources from sysfs.
void LoadLiveDevices(const LiveRoot& where, Machine& machine);
/// Computer name, Windows directory, SYSTEM_INFO and OSVERSIONINFOEXA.
void LoadLiveSystem(const LiveRoot& where, Machine& machine);
/// systemd units as Win32 services, kernel drivers, image-file versions.
void LoadLiveServices(const LiveRoot& where, Machine& machine);
/// The journal as the System, Security and Norvan event logs.
void LoadLiveEventLogs(const LiveRoot& where, Machine& machine);

/// The reading half of LoadLiveServices and LoadLiveEventLogs: reads
/// without a machine, and gives what adds the result to one (after
/// LoadLiveSystem, whose computer name the records use). Safe to call on a
/// thread of its own.
std::function<void(Machine&)> ReadLiveServices(const LiveRoot& where);
std::function<void(Machine&)> ReadLiveEventLogs(const LiveRoot& where);

/// All of the above; the services and the journal are read on threads of
/// their own while the devices are.
void LoadLiveMachine(const LiveRoot& where, Machine& machine);

}  // namespace tov::machine::live
