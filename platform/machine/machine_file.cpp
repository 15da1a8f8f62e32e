#include "platform/machine/machine_file.h"

namespace tov::machine {

namespace {
std::string Normalize(std::string_view path) {
  std::string out(path);
  for (char& c : out) {
    if (c == '/') c = '\\';
  }
  // "C:\WINDOWS\" names the folder "C:\WINDOWS"; "C:\" stays the drive's root.
  if (out.size() > 3 && out.back() == '\\') out.pop_back();
  return out;
}
}  // namespace

MachineFile& FileSystem::Add(std::string_view path) {
  return files_[Normalize(path)];
}

const MachineFile* FileSystem::Find(std::string_view path) const {
  auto it = files_.find(Normalize(path));
  return it == files_.end() ? nullptr : &it->second;
}

bool FileSystem::HoldsFilesBelow(std::string_view path) const {
  std::string prefix = Normalize(path);
  if (prefix.empty()) return false;
  if (prefix.back() != '\\') prefix += '\\';
  // All paths below the folder sort together right after the prefix, so the
  // first path after it is the only candidate.
  auto it = files_.upper_bound(prefix);
  return it != files_.end() && it->first.size() > prefix.size() &&
         EqualsIgnoreCase(std::string_view(it->first).substr(0, prefix.size()), prefix);
}

}  // namespace tov::machine
