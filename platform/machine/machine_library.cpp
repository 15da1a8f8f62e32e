#include "platform/machine/machine_library.h"

namespace tov::machine {

MachineLibrary& MachineLibrary::Exports(std::initializer_list<std::string_view> names) {
  for (std::string_view name : names) Export(name);
  return *this;
}

MachineLibrary& MachineLibrary::Export(std::string_view name) {
  exports_.emplace(name);
  return *this;
}

bool MachineLibrary::HasExport(std::string_view name) const {
  return exports_.find(name) != exports_.end();
}

MachineLibrary& LibrarySet::Add(std::string_view name) {
  auto it = libraries_.find(name);
  if (it == libraries_.end()) it = libraries_.emplace(std::string(name), MachineLibrary()).first;
  return it->second;
}

const MachineLibrary* LibrarySet::Find(std::string_view name) const {
  auto it = libraries_.find(name);
  return it == libraries_.end() ? nullptr : &it->second;
}

}  // namespace tov::machine
