/// Reading files below the live source's root. Paths are given as on the real
/// system ("/etc/systemd/system/cron.service"); symbolic links are followed
/// inside the root, so an absolute link target in a captured tree
/// ("/lib/systemd/system/x.service") names the captured file, never the host's.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/machine/live/live_source.h"

namespace tov::machine::live {

/// `path` with every symbolic link of it replaced by its target, resolved
/// inside the root; components that do not exist are kept as they are.
/// Nothing for a chain of links that does not end (a loop).
std::optional<std::string> ResolvePath(const LiveRoot& where, std::string_view path);

/// The name on this host of `path` below the root, its links resolved inside
/// the root. When the root is the host's own, the path itself: the kernel
/// resolves its links the same way, and far quicker. Nothing for a loop.
std::optional<std::string> HostPath(const LiveRoot& where, std::string_view path);

/// The whole of the open file `fd`, which it closes; nothing for fd < 0 or
/// when a read fails (a sysfs attribute may open and then refuse reading).
std::optional<std::string> ReadDescriptor(int fd);

/// The whole of a regular file; nothing when it cannot be read.
std::optional<std::string> ReadFile(const LiveRoot& where, std::string_view path);
/// Reads regular files line by line, in pieces through a buffer of its own
/// that serves every file it opens: a package's file list or an ID database
/// can be megabytes long, and fresh memory that large costs more than the
/// reading itself.
class LineReader {
 public:
  LineReader() = default;
  LineReader(LineReader&& other) noexcept;
  LineReader& operator=(LineReader&& other) noexcept;
  ~LineReader();

  /// Opens the regular file `path`, after links; false when it cannot.
  bool Open(const LiveRoot& where, std::string_view path);
  /// Opens the regular file `name` of `directory`, a path ResolvePath gave:
  /// the directory's components are not looked at again, which saves a
  /// lookup per component when opening many files of one directory.
  bool OpenIn(const LiveRoot& where, const std::string& directory, std::string_view name);
  /// Calls `line` with every line (without its '\n') and the offset where it
  /// begins, from the offset `from` on, until `line` answers false or the
  /// file ends. False when no file is open or a read fails.
  bool ForEachLine(uint64_t from, const std::function<bool(std::string_view, uint64_t)>& line);

 private:
  bool Adopt(int fd);

  int fd_ = -1;
  std::string buffer_;
};

/// The first line of a file (an attribute file of sysfs or proc), blanks at
/// its ends removed; empty when it cannot be read.
std::string ReadAttribute(const LiveRoot& where, std::string_view path);

/// True for a regular file, after links.
bool IsFile(const LiveRoot& where, std::string_view path);
/// True for a directory, after links.
bool IsDirectory(const LiveRoot& where, std::string_view path);

/// The target of the symbolic link `path` itself, as stored; nothing when
/// `path` is not a link.
std::optional<std::string> ReadLink(const LiveRoot& where, std::string_view path);

/// The names in a directory (after links), sorted, without "." and "..";
/// empty when it cannot be read.
std::vector<std::string> ListDirectory(const LiveRoot& where, std::string_view path);

/// The last component of a path.
std::string_view BaseName(std::string_view path);
/// `text` without blanks (space, tab, CR, LF) at its ends.
std::string_view Trim(std::string_view text);

}  // namespace tov::machine::live
