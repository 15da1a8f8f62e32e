/// The libraries the machine has, by name (any letter case), each with the
/// names of the entry points it exports. Loading a library and looking up an
/// entry point answer from here, so a missing library or entry point is a
/// property of the machine, not a special case of the caller.
#pragma once

#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <string_view>

#include "platform/machine/text_case.h"

namespace tov::machine {

/// One library; its setter is the builder: m.Library("X.DLL").Exports({"A", "B"}).
class MachineLibrary {
 public:
  /// Adds entry points (names are case-sensitive, as the platform's lookup is).
  MachineLibrary& Exports(std::initializer_list<std::string_view> names);
  MachineLibrary& Export(std::string_view name);
  bool HasExport(std::string_view name) const;
  const std::set<std::string, std::less<>>& ExportNames() const { return exports_; }

 private:
  std::set<std::string, std::less<>> exports_;
};

/// All libraries of the machine.
class LibrarySet {
 public:
  /// The library called `name`, added (without entry points) when it is not there yet.
  MachineLibrary& Add(std::string_view name);
  /// The library called `name` (any letter case), or null.
  const MachineLibrary* Find(std::string_view name) const;

 private:
  std::map<std::string, MachineLibrary, LessIgnoreCase> libraries_;
};

}  // namespace tov::machine
