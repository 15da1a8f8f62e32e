/// Reading the files of a sysfs-like tree: one attribute's text, the target
/// of a link, a uevent file's keys, and the subfolders of a folder in a
/// stable order. Every function reads one path it is given; a file that is
/// missing or unreadable (no permission) reads as nothing, never as an error.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tov::machine::live {

/// The whole text of a file, or nothing.
std::optional<std::string> ReadFileText(const std::string& path);

/// The first line of a file without its line end and surrounding blanks, as
/// sysfs attributes hold one value; nothing for a missing file.
std::optional<std::string> ReadAttribute(const std::string& path);

/// An attribute holding a number in C notation ("0x1af4", "17"), or nothing
/// when it is missing or not a number.
std::optional<unsigned long long> ReadNumber(const std::string& path, int base = 0);

/// The target of a symbolic link as it is written, or empty when `path` is not a link.
std::string LinkTarget(const std::string& path);

/// The last component of a symbolic link's target ("../../bus/pci/drivers/ahci"
/// gives "ahci"), or empty when `path` is not a link.
std::string LinkName(const std::string& path);

/// The KEY=VALUE lines of a uevent file.
std::map<std::string, std::string> ReadUevent(const std::string& path);

/// The names of the real folders in `path` (links to folders are left out),
/// sorted as `ls -v` sorts: runs of digits compare by their value, so "cpu2"
/// comes before "cpu10".
std::vector<std::string> SubFolders(const std::string& path);

/// The names of the entries of any kind in `path`, in the same order.
std::vector<std::string> Entries(const std::string& path);

/// The order of SubFolders and Entries.
bool NaturalLess(const std::string& a, const std::string& b);

}  // namespace tov::machine::live
