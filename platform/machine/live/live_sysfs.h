/// Reading a sysfs-like tree. A SysfsFolder is one open folder: its entries,
/// read once, and its attribute files and links, opened relative to it, so
/// that a walk over thousands of device folders neither walks long paths
/// again for every file nor tries files the folder does not have. What is
/// missing or unreadable (no permission) reads as nothing, never as an error.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tov::machine::live {

class SysfsFolder {
 public:
  struct Entry {
    std::string name;
    bool is_folder;  // a real folder; links to folders are not
  };

  /// Opens the folder at `path`, or the folder `name` inside `parent`.
  explicit SysfsFolder(const std::string& path);
  SysfsFolder(const SysfsFolder& parent, const std::string& name);
  ~SysfsFolder();
  SysfsFolder(const SysfsFolder&) = delete;
  SysfsFolder& operator=(const SysfsFolder&) = delete;

  /// The entries of the folder, sorted as `ls -v` sorts (NaturalLess);
  /// empty for a folder that could not be opened.
  const std::vector<Entry>& Entries() const { return entries_; }
  /// True when the folder has an entry of this name.
  bool Has(const std::string& name) const;

  /// The whole text of a file in the folder, or nothing.
  std::optional<std::string> Text(const std::string& name) const;
  /// The first line of a file, without its line end and surrounding blanks,
  /// as sysfs attributes hold one value; nothing for a missing file.
  std::optional<std::string> Attribute(const std::string& name) const;
  /// An attribute holding a number in C notation ("0x1af4", "17"), or, with
  /// base 16, bare hexadecimal ("1d6b"); nothing when it is missing or not a number.
  std::optional<unsigned long long> Number(const std::string& name, int base = 0) const;
  /// The target of a symbolic link in the folder as it is written, or empty.
  std::string LinkTarget(const std::string& name) const;
  /// The KEY=VALUE lines of the folder's uevent file.
  std::map<std::string, std::string> Uevent() const;

 private:
  void ReadEntries();

  int fd_ = -1;
  std::vector<Entry> entries_;
};

/// Orders names as `ls -v` does: runs of digits compare by their value, so
/// "cpu2" comes before "cpu10".
bool NaturalLess(const std::string& a, const std::string& b);

}  // namespace tov::machine::live
