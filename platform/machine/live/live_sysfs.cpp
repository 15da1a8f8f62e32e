#include "platform/machine/live/live_sysfs.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "platform/machine/live/live_files.h"

namespace tov::machine::live {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

SysfsFolder::SysfsFolder(const std::string& path)
    : fd_(open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
  ReadEntries();
}

SysfsFolder::SysfsFolder(const SysfsFolder& parent, const std::string& name)
    : fd_(parent.fd_ < 0 ? -1
                         : openat(parent.fd_, name.c_str(),
                                  O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)) {
  ReadEntries();
}

SysfsFolder::~SysfsFolder() {
  if (fd_ >= 0) close(fd_);
}

void SysfsFolder::ReadEntries() {
  if (fd_ < 0) return;
  // The folder's own descriptor is read directly, without a DIR stream of a
  // descriptor of its own: a walk lists thousands of folders.
  alignas(dirent64) char buffer[16384];
  for (;;) {
    long n = syscall(SYS_getdents64, fd_, buffer, sizeof buffer);
    if (n <= 0) break;
    for (long at = 0; at < n;) {
      const auto* entry = reinterpret_cast<const dirent64*>(buffer + at);
      at += entry->d_reclen;
      std::string name = entry->d_name;
      if (name == "." || name == "..") continue;
      bool is_folder = entry->d_type == DT_DIR;
      if (entry->d_type == DT_UNKNOWN) {
        struct stat st;
        is_folder =
            fstatat(fd_, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
      }
      entries_.push_back(Entry{std::move(name), is_folder});
    }
  }
  std::sort(entries_.begin(), entries_.end(),
            [](const Entry& a, const Entry& b) { return NaturalLess(a.name, b.name); });
}

bool SysfsFolder::Has(const std::string& name) const {
  auto found = std::lower_bound(
      entries_.begin(), entries_.end(), name,
      [](const Entry& entry, const std::string& wanted) { return NaturalLess(entry.name, wanted); });
  return found != entries_.end() && found->name == name;
}

std::optional<std::string> SysfsFolder::Text(const std::string& name) const {
  if (!Has(name)) return std::nullopt;
  return ReadDescriptor(openat(fd_, name.c_str(), O_RDONLY | O_CLOEXEC));
}

std::optional<std::string> SysfsFolder::Attribute(const std::string& name) const {
  std::optional<std::string> text = Text(name);
  if (!text) return std::nullopt;
  std::string_view line(*text);
  return std::string(Trim(line.substr(0, line.find('\n'))));
}

std::optional<unsigned long long> SysfsFolder::Number(const std::string& name, int base) const {
  std::optional<std::string> text = Attribute(name);
  if (!text || text->empty() || (*text)[0] == '-') return std::nullopt;
  char* end = nullptr;
  unsigned long long value = std::strtoull(text->c_str(), &end, base);
  if (end == text->c_str() || *end != '\0') return std::nullopt;
  return value;
}

std::string SysfsFolder::LinkTarget(const std::string& name) const {
  if (!Has(name)) return {};
  char target[4096];
  ssize_t n = readlinkat(fd_, name.c_str(), target, sizeof target);
  return n > 0 ? std::string(target, static_cast<size_t>(n)) : std::string();
}

std::map<std::string, std::string> SysfsFolder::Uevent() const {
  std::map<std::string, std::string> keys;
  std::string text = Text("uevent").value_or("");
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    size_t eq = text.find('=', at);
    if (eq != std::string::npos && eq > at && eq < end) {
      keys[text.substr(at, eq - at)] = text.substr(eq + 1, end - eq - 1);
    }
    at = end + 1;
  }
  return keys;
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
