#include "platform/machine/live/live_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <deque>

namespace tov::machine::live {

namespace {

// As the kernel allows before it reports a loop.
constexpr int kMaxLinks = 40;

void PushComponents(std::string_view path, std::deque<std::string>& todo) {
  std::deque<std::string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string_view::npos) end = path.size();
    if (end > start) parts.emplace_back(path.substr(start, end - start));
    start = end + 1;
  }
  todo.insert(todo.begin(), parts.begin(), parts.end());
}

std::string Join(const std::vector<std::string>& parts) {
  std::string out;
  for (const std::string& part : parts) out += "/" + part;
  return out.empty() ? "/" : out;
}

std::optional<std::string> LinkTarget(const std::string& host_path) {
  std::string target(4096, '\0');
  ssize_t n = readlink(host_path.c_str(), target.data(), target.size());
  if (n < 0 || static_cast<size_t>(n) >= target.size()) return std::nullopt;
  target.resize(static_cast<size_t>(n));
  return target;
}

std::optional<struct stat> StatResolved(const LiveRoot& where, std::string_view path) {
  std::optional<std::string> resolved = ResolvePath(where, path);
  struct stat st {};
  if (!resolved || stat(where.Path(*resolved).c_str(), &st) != 0) return std::nullopt;
  return st;
}

}  // namespace

std::optional<std::string> ResolvePath(const LiveRoot& where, std::string_view path) {
  std::deque<std::string> todo;
  PushComponents(path, todo);
  std::vector<std::string> done;
  int links = 0;
  while (!todo.empty()) {
    std::string part = std::move(todo.front());
    todo.pop_front();
    if (part == ".") continue;
    if (part == "..") {
      if (!done.empty()) done.pop_back();
      continue;
    }
    done.push_back(part);
    std::string host = where.Path(Join(done));
    struct stat st {};
    if (lstat(host.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) continue;
    std::optional<std::string> target = LinkTarget(host);
    if (!target || ++links > kMaxLinks) return std::nullopt;
    done.pop_back();
    if (!target->empty() && target->front() == '/') done.clear();
    PushComponents(*target, todo);
  }
  return Join(done);
}

std::optional<std::string> ReadDescriptor(int fd) {
  if (fd < 0) return std::nullopt;
  // Read straight into the text, sized from the file (a package's file list
  // or the PCI ID database is a megabyte or more) and grown geometrically
  // when the file is longer than it says (sysfs gives 4096 bytes for every
  // attribute, /proc files 0).
  struct stat st;
  size_t capacity =
      fstat(fd, &st) == 0 && st.st_size > 0 ? static_cast<size_t>(st.st_size) + 1 : 4096;
  std::string text(capacity, '\0');
  size_t used = 0;
  for (;;) {
    if (used == text.size()) text.resize(text.size() * 2);
    ssize_t n = read(fd, text.data() + used, text.size() - used);
    if (n < 0) {
      close(fd);
      return std::nullopt;
    }
    if (n == 0) break;
    used += static_cast<size_t>(n);
  }
  close(fd);
  text.resize(used);
  return text;
}

namespace {

// The whole of the open file `fd`, which it closes, when it is a regular file.
std::optional<std::string> ReadRegular(int fd) {
  struct stat st {};
  std::optional<std::string> text;
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    // sysfs and proc files state a size that is not their content's: read to the end.
    text.emplace();
    // Room for the size the file states, so that a large file (a package's
    // file list) is not copied again as the text grows.
    if (st.st_size > 0) text->reserve(static_cast<size_t>(st.st_size));
    char buffer[65536];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0) text->append(buffer, static_cast<size_t>(n));
    if (n < 0) text.reset();
  }
  close(fd);
  return text;
}

}  // namespace

std::optional<std::string> ReadFile(const LiveRoot& where, std::string_view path) {
  std::optional<std::string> resolved = ResolvePath(where, path);
  if (!resolved) return std::nullopt;
  int fd = open(where.Path(*resolved).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  return ReadRegular(fd);
}

std::optional<std::string> ReadFileIn(const LiveRoot& where, const std::string& directory,
                                      std::string_view name) {
  std::string path = (directory == "/" ? "" : directory) + "/" + std::string(name);
  int fd = open(where.Path(path).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  // A link is followed inside the root, as ReadFile does.
  if (fd < 0 && errno == ELOOP) return ReadFile(where, path);
  if (fd < 0) return std::nullopt;
  return ReadRegular(fd);
}

std::string ReadAttribute(const LiveRoot& where, std::string_view path) {
  std::optional<std::string> text = ReadFile(where, path);
  if (!text) return {};
  std::string_view line(*text);
  line = line.substr(0, line.find('\n'));
  return std::string(Trim(line));
}

bool IsFile(const LiveRoot& where, std::string_view path) {
  std::optional<struct stat> st = StatResolved(where, path);
  return st && S_ISREG(st->st_mode);
}

bool IsDirectory(const LiveRoot& where, std::string_view path) {
  std::optional<struct stat> st = StatResolved(where, path);
  return st && S_ISDIR(st->st_mode);
}

std::optional<std::string> ReadLink(const LiveRoot& where, std::string_view path) {
  std::optional<std::string> resolved = ResolvePath(where, path.substr(0, path.rfind('/') + 1));
  if (!resolved) return std::nullopt;
  std::string parent = *resolved == "/" ? "" : *resolved;
  return LinkTarget(where.Path(parent + "/" + std::string(BaseName(path))));
}

std::vector<std::string> ListDirectory(const LiveRoot& where, std::string_view path) {
  std::vector<std::string> names;
  std::optional<std::string> resolved = ResolvePath(where, path);
  if (!resolved) return names;
  DIR* dir = opendir(where.Path(*resolved).c_str());
  if (dir == nullptr) return names;
  while (const dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(std::move(name));
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

std::string_view BaseName(std::string_view path) {
  size_t cut = path.rfind('/');
  return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

std::string_view Trim(std::string_view text) {
  const char* kBlanks = " \t\r\n";
  size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  size_t last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

}  // namespace tov::machine::live
