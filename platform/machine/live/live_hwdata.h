/// The PCI and USB ID databases (pci.ids and usb.ids of the hwdata package):
/// names of vendors, devices and PCI device classes by their numbers.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace tov::machine::live {

class IdDatabase {
 public:
  /// Reads a database in the pci.ids/usb.ids form; a missing file gives an
  /// empty database, which names nothing.
  static IdDatabase Load(const std::string& path);

  /// The vendor's name, or empty.
  std::string Vendor(uint16_t vendor) const;
  /// The name of one of the vendor's devices (products), or empty.
  std::string Device(uint16_t vendor, uint16_t device) const;
  /// The name of a PCI device's subclass, else of its class, from its 24-bit
  /// class code (class, subclass, programming interface), or empty.
  std::string ClassName(uint32_t class_code) const;

 private:
  struct VendorEntry {
    std::string name;
    std::map<uint16_t, std::string> devices;
  };
  std::map<uint16_t, VendorEntry> vendors_;
  // Class 0x02 under 0x02, subclass 0x0200 under 0x10200.
  std::map<uint32_t, std::string> classes_;
};

}  // namespace tov::machine::live
