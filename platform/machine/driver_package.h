/// Setup classes and driver packages of the machine's device domain: what the
/// class registry properties, the class driver lists and the class installer
/// answer from.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "win32/base_types.h"

namespace tov::machine {

/// One setup class: its GUID, name and, when it has them, characteristics.
class SetupClass {
 public:
  explicit SetupClass(const GUID& guid) : guid_(guid) {}

  SetupClass& Name(std::string_view name);
  SetupClass& Characteristics(uint32_t characteristics);

  const GUID& Guid() const { return guid_; }
  const std::string& Name() const { return name_; }
  const std::optional<uint32_t>& Characteristics() const { return characteristics_; }

 private:
  GUID guid_;
  std::string name_;
  std::optional<uint32_t> characteristics_;
};

/// One driver of an INF file, as a class driver list shows it, with the
/// target paths of the files its class installer queues for
/// DIF_INSTALLDEVICEFILES, in queue order.
class DriverPackage {
 public:
  explicit DriverPackage(std::string_view inf) : inf_(inf) {}

  DriverPackage& Description(std::string_view text);
  DriverPackage& Manufacturer(std::string_view text);
  DriverPackage& Provider(std::string_view text);
  DriverPackage& Files(std::initializer_list<std::string_view> target_paths);
  DriverPackage& File(std::string_view target_path);
  /// Listed only when the caller allows excluded drivers (DI_FLAGSEX_ALLOWEXCLUDEDDRVS).
  DriverPackage& ExcludedFromSelect();
  /// Its class installer refuses DIF_INSTALLDEVICEFILES.
  DriverPackage& RefusesInstallFiles();

  const std::string& Inf() const { return inf_; }
  const std::string& Description() const { return description_; }
  const std::string& Manufacturer() const { return manufacturer_; }
  const std::string& Provider() const { return provider_; }
  const std::vector<std::string>& Files() const { return files_; }
  bool IsExcludedFromSelect() const { return excluded_; }
  bool RefusesInstall() const { return refuses_install_; }

 private:
  std::string inf_;
  std::string description_;
  std::string manufacturer_;
  std::string provider_;
  std::vector<std::string> files_;
  bool excluded_ = false;
  bool refuses_install_ = false;
};

/// Reads a braced GUID text "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (hex digits
/// in any letter case) as the machine's fixtures and builders write it; false
/// for any other text.
bool ReadGuidText(std::string_view text, GUID* guid);

}  // namespace tov::machine
