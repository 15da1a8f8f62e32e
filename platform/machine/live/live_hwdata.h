/// The PCI and USB ID databases (pci.ids and usb.ids of the hwdata package):
/// names of vendors, devices and PCI device classes by their numbers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/machine/live/live_files.h"
#include "platform/machine/live/live_source.h"

namespace tov::machine::live {

class IdDatabase {
 public:
  /// Reads a database in the pci.ids/usb.ids form; a missing file gives an
  /// empty database, which names nothing. Only the places of the vendor and
  /// class lines are noted and the file is kept open; a name is read from
  /// there when it is asked for, since a machine asks for a few dozen of the
  /// tens of thousands of names.
  static IdDatabase Load(const LiveRoot& where, const std::string& path);

  /// The vendor's name, or empty.
  std::string Vendor(uint16_t vendor) const;
  /// The name of one of the vendor's devices (products), or empty.
  std::string Device(uint16_t vendor, uint16_t device) const;
  /// The name of a PCI device's subclass, else of its class, from its 24-bit
  /// class code (class, subclass, programming interface), or empty.
  std::string ClassName(uint32_t class_code) const;

 private:
  // Where the line of a vendor ("1af4  Red Hat, Inc.") or of a class
  // ("C 02  Network controller") begins, in the order of the file.
  struct Head {
    uint32_t number;
    uint64_t at;
  };
  static const Head* FindHead(const std::vector<Head>& heads, uint32_t number);
  // The name on the head line at `at`.
  std::string HeadName(uint64_t at) const;
  // The name of the entry line `number` (of `digits` hex digits) among the
  // tab-indented lines below the head line at `at`, or empty.
  std::string FindEntry(uint64_t at, uint32_t number, size_t digits) const;

  mutable LineReader file_;  // reading moves its position only
  std::vector<Head> vendors_;
  std::vector<Head> classes_;
};

}  // namespace tov::machine::live
