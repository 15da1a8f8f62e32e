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

bool PathIsWithin(std::string_view path, std::string_view folder) {
  std::string p = Normalize(path);
  std::string f = Normalize(folder);
  if (f.empty()) return false;
  if (EqualsIgnoreCase(p, f)) return true;
  if (f.back() != '\\') f += '\\';
  return p.size() > f.size() && EqualsIgnoreCase(std::string_view(p).substr(0, f.size()), f);
}

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
  return it != files_.end() && PathIsWithin(it->first, path);
}

}  // namespace tov::machine
