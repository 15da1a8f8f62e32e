/// Kernel drivers as the live source reads them: the drivers registered on
/// the buses (/sys/bus/*/drivers) and the loaded modules (/sys/module), with
/// each module's file and fields from libkmod. The services loader maps them
/// onto kernel-driver services.
#pragma once

#include <string>
#include <vector>

#include "platform/machine/live/live_services_versions.h"
#include "platform/machine/live/live_source.h"

namespace tov::machine::live {

/// One kernel driver service: a driver of a bus, or a loaded module that no
/// driver of the same name stands for.
struct KernelDriver {
  std::string name;        // the driver's name as sysfs spells it, or the module's
  bool built_in = false;   // part of the kernel image, not a loaded module
  std::string initstate;   // a loaded module's "live", "coming" or "going"
  bool file_system = false;     // the module registers a file system of that name
  bool loaded_at_boot = false;  // the module is listed in modules-load.d or /etc/modules
  std::string image;            // the module file or the kernel image (a system path); may be empty
  std::vector<std::string> needs;  // names of the kernel drivers it uses, in order
  ModuleFacts facts;               // the module's fields, as far as they are known
};

/// All kernel drivers below the root, sorted by name.
std::vector<KernelDriver> ReadKernelDrivers(const LiveRoot& where);

}  // namespace tov::machine::live
