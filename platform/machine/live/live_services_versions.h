/// Version resources of a live machine's image files. Linux files carry no
/// version resource, so one is built from what the system knows about the
/// file: the package that owns it (the dpkg database) and, for a kernel
/// module, the module's own fields. docs/live-machine.md lists the values.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/machine/live/live_source.h"

namespace tov::machine::live {

/// What the dpkg database says of an installed package.
struct PackageFacts {
  std::string name;
  std::string version;
  std::string maintainer;
  std::string summary;  // the first line of "Description"
};

/// The fields of a kernel module ("modinfo"), empty where the module has none.
struct ModuleFacts {
  std::string name;
  std::string version;
  std::string description;
  std::string author;  // several authors joined by "; "
  std::string license;
  std::string release;  // the kernel release the module was built for (from "vermagic")
};

/// The owning packages of a set of files.
class PackageOwners {
 public:
  /// Looks `paths` (system paths) up in the dpkg database below the root. A
  /// file listed under the other name of a merged /usr ("/lib/x" for
  /// "/usr/lib/x" and back) counts as listed.
  static PackageOwners Find(const LiveRoot& where, const std::set<std::string>& paths);

  /// The installed package that owns `path`, or null.
  const PackageFacts* OwnerOf(const std::string& path) const;

 private:
  std::map<std::string, std::string> owner_;      // path -> package key ("name" or "name:arch")
  std::map<std::string, PackageFacts> packages_;  // package key -> facts
};

/// The four numbers of a version's fixed part, read from its text: the
/// first three numbers of the upstream version and the first of the Debian
/// revision when that starts with a digit ("1:2.38.1-5+deb12u3" gives
/// 2.38.1.5, "6.1.0-18-amd64" gives 6.1.0.0); each at most 65535.
struct VersionNumbers {
  uint16_t part[4] = {0, 0, 0, 0};
};
VersionNumbers ParseVersionNumbers(const std::string& text);

/// The version block of the file at `path` (a system path) from its package
/// and its module fields (either may be null); empty when both are null.
std::vector<uint8_t> BuildVersionBlock(const std::string& path, const PackageFacts* package,
                                       const ModuleFacts* module);

}  // namespace tov::machine::live
