#include "platform/machine/live/live_sysfs.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace tov::machine::live {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The names in `path`, those `keep` accepts, naturally sorted.
template <class Keep>
std::vector<std::string> ListFolder(const std::string& path, Keep keep) {
  std::vector<std::string> names;
  DIR* dir = opendir(path.c_str());
  if (dir == nullptr) return names;
  while (const dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    if (keep(entry, name)) names.push_back(std::move(name));
  }
  closedir(dir);
  std::sort(names.begin(), names.end(), NaturalLess);
  return names;
}

}  // namespace

std::optional<std::string> ReadFileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  // A sysfs attribute that refuses reading opens but fails on the first read.
  if (in.bad()) return std::nullopt;
  return text.str();
}

std::optional<std::string> ReadAttribute(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string line;
  if (!std::getline(in, line) && in.bad()) return std::nullopt;
  size_t begin = line.find_first_not_of(" \t\r");
  size_t end = line.find_last_not_of(" \t\r");
  return begin == std::string::npos ? std::string() : line.substr(begin, end - begin + 1);
}

std::optional<unsigned long long> ReadNumber(const std::string& path, int base) {
  std::optional<std::string> text = ReadAttribute(path);
  if (!text || text->empty()) return std::nullopt;
  char* end = nullptr;
  unsigned long long value = std::strtoull(text->c_str(), &end, base);
  if (end == text->c_str() || *end != '\0' || (*text)[0] == '-') return std::nullopt;
  return value;
}

std::string LinkTarget(const std::string& path) {
  char target[4096];
  ssize_t n = readlink(path.c_str(), target, sizeof target);
  return n > 0 ? std::string(target, static_cast<size_t>(n)) : std::string();
}

std::string LinkName(const std::string& path) {
  std::string text = LinkTarget(path);
  while (!text.empty() && text.back() == '/') text.pop_back();
  size_t cut = text.find_last_of('/');
  return cut == std::string::npos ? text : text.substr(cut + 1);
}

std::map<std::string, std::string> ReadUevent(const std::string& path) {
  std::map<std::string, std::string> keys;
  std::ifstream in(path, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    size_t eq = line.find('=');
    if (eq != std::string::npos && eq > 0) keys[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return keys;
}

std::vector<std::string> SubFolders(const std::string& path) {
  return ListFolder(path, [&](const dirent* entry, const std::string& name) {
    if (entry->d_type == DT_DIR) return true;
    if (entry->d_type != DT_UNKNOWN) return false;
    struct stat st;
    return lstat((path + "/" + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  });
}

std::vector<std::string> Entries(const std::string& path) {
  return ListFolder(path, [](const dirent*, const std::string&) { return true; });
}

bool NaturalLess(const std::string& a, const std::string& b) {
  size_t i = 0;
  size_t j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      // Compare the two runs of digits by value: drop leading zeros, then
      // the longer run is larger, and runs of one length compare as text.
      size_t si = i;
      size_t sj = j;
      while (si < a.size() && a[si] == '0') ++si;
      while (sj < b.size() && b[sj] == '0') ++sj;
      size_t ei = si;
      size_t ej = sj;
      while (ei < a.size() && IsDigit(a[ei])) ++ei;
      while (ej < b.size() && IsDigit(b[ej])) ++ej;
      if (ei - si != ej - sj) return ei - si < ej - sj;
      int c = a.compare(si, ei - si, b, sj, ej - sj);
      if (c != 0) return c < 0;
      i = ei;
      j = ej;
    } else {
      if (a[i] != b[j]) return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
      ++i;
      ++j;
    }
  }
  if (a.size() - i != b.size() - j) return a.size() - i < b.size() - j;
  return a < b;  // equal by value ("01" and "1"): any fixed order
}

}  // namespace tov::machine::live
