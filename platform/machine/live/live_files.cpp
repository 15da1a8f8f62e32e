#include "platform/machine/live/live_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <deque>
#include <utility>

namespace tov::machine::live {

namespace {

// As the kernel allows before it reports a loop.
constexpr int kMaxLinks = 40;

// LineReader reads a file in pieces of this size: a package's file list
// can be megabytes long, and fresh memory that large costs more than reading.
constexpr size_t kLinePiece = 64 * 1024;

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
  std::optional<std::string> host = HostPath(where, path);
  struct stat st {};
  if (!host || stat(host->c_str(), &st) != 0) return std::nullopt;
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

std::optional<std::string> HostPath(const LiveRoot& where, std::string_view path) {
  if (where.IsHost()) return std::string(path);
  std::optional<std::string> resolved = ResolvePath(where, path);
  if (!resolved) return std::nullopt;
  return where.Path(*resolved);
}

namespace {

// Whether the open file `fd` is a regular file; closes it when it is not.
bool KeepRegular(int fd, struct stat& st) {
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) return true;
  close(fd);
  return false;
}

// The whole of the open file `fd`, which it closes; nothing when a read
// fails (a sysfs attribute may open and then refuse reading). The text is
// sized from the file (the PCI ID database is a megabyte or more) and grown
// geometrically when the file is longer than it says (sysfs gives 4096 bytes
// for every attribute, /proc files 0).
std::optional<std::string> ReadWhole(int fd, const struct stat* st) {
  size_t capacity = st != nullptr && st->st_size > 0 ? static_cast<size_t>(st->st_size) + 1 : 4096;
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

}  // namespace

std::optional<std::string> ReadDescriptor(int fd) {
  if (fd < 0) return std::nullopt;
  struct stat st {};
  return ReadWhole(fd, fstat(fd, &st) == 0 ? &st : nullptr);
}

std::optional<std::string> ReadFile(const LiveRoot& where, std::string_view path) {
  std::optional<std::string> host = HostPath(where, path);
  if (!host) return std::nullopt;
  int fd = open(host->c_str(), O_RDONLY | O_CLOEXEC);
  struct stat st {};
  if (fd < 0 || !KeepRegular(fd, st)) return std::nullopt;
  return ReadWhole(fd, &st);
}

LineReader::LineReader(LineReader&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), buffer_(std::move(other.buffer_)) {}

LineReader& LineReader::operator=(LineReader&& other) noexcept {
  if (this != &other) {
    Adopt(std::exchange(other.fd_, -1));
    buffer_ = std::move(other.buffer_);
  }
  return *this;
}

LineReader::~LineReader() { Adopt(-1); }

bool LineReader::Adopt(int fd) {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  struct stat st {};
  if (fd >= 0 && KeepRegular(fd, st)) fd_ = fd;
  return fd_ >= 0;
}

bool LineReader::Open(const LiveRoot& where, std::string_view path) {
  std::optional<std::string> host = HostPath(where, path);
  return Adopt(host ? open(host->c_str(), O_RDONLY | O_CLOEXEC) : -1);
}

bool LineReader::OpenIn(const LiveRoot& where, const std::string& directory, std::string_view name) {
  std::string path = (directory == "/" ? "" : directory) + "/" + std::string(name);
  int fd = open(where.Path(path).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0 && errno == ELOOP) {
    // A link is followed inside the root, as ReadFile does.
    std::optional<std::string> host = HostPath(where, path);
    if (host) fd = open(host->c_str(), O_RDONLY | O_CLOEXEC);
  }
  return Adopt(fd);
}

bool LineReader::ForEachLine(uint64_t from,
                             const std::function<bool(std::string_view, uint64_t)>& line) {
  if (fd_ < 0) return false;
  if (buffer_.size() < kLinePiece) buffer_.resize(kLinePiece);
  uint64_t offset = from;  // where in the file the buffer's first byte is
  size_t kept = 0;         // the start of a line the last piece did not finish
  for (;;) {
    if (kept == buffer_.size()) buffer_.resize(buffer_.size() * 2);  // a line longer than the buffer
    ssize_t n = pread(fd_, buffer_.data() + kept, buffer_.size() - kept,
                      static_cast<off_t>(offset + kept));
    if (n < 0) return false;
    if (n == 0) break;
    const char* begin = buffer_.data();
    const char* end = begin + kept + static_cast<size_t>(n);
    const char* start = begin;
    while (const void* found = std::memchr(start, '\n', static_cast<size_t>(end - start))) {
      const char* newline = static_cast<const char*>(found);
      if (!line(std::string_view(start, static_cast<size_t>(newline - start)),
                offset + static_cast<uint64_t>(start - begin))) {
        return true;
      }
      start = newline + 1;
    }
    offset += static_cast<uint64_t>(start - begin);
    kept = static_cast<size_t>(end - start);
    std::memmove(buffer_.data(), start, kept);
  }
  if (kept > 0) line(std::string_view(buffer_.data(), kept), offset);
  return true;
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
  if (where.IsHost()) return LinkTarget(std::string(path));
  std::optional<std::string> resolved = ResolvePath(where, path.substr(0, path.rfind('/') + 1));
  if (!resolved) return std::nullopt;
  std::string parent = *resolved == "/" ? "" : *resolved;
  return LinkTarget(where.Path(parent + "/" + std::string(BaseName(path))));
}

std::vector<std::string> ListDirectory(const LiveRoot& where, std::string_view path) {
  std::vector<std::string> names;
  std::optional<std::string> host = HostPath(where, path);
  if (!host) return names;
  DIR* dir = opendir(host->c_str());
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
