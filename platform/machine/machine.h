/// The machine model: a plain description of one Windows computer that the
/// Linux platform operations answer from. A test builds one in a few lines,
/// a JSON fixture fills one through the same builder calls:
///
///   Machine m;
///   m.Registry().Key("SYSTEM\\CurrentControlSet\\Services\\disk").Dword("Start", 0);
///   m.Env("SystemRoot", "C:\\WINDOWS").ComputerName("WS01").Now(1700000000);
///   ScopedMachine use(m);  // the platform operations now answer from m
///   ...
///   EXPECT_EQ(m.OpenHandles(), 0);
///
/// Adding a domain (services, event logs, devices, accounts, ...): put its
/// data and builder in a header and source of its own in this folder, give
/// Machine one member of that type with an accessor, and, for fixtures, add a
/// parser file and one line to the section table of fixture_loader.cpp.
///
/// A machine is filled before it is installed and only read while installed;
/// the handle table and call counts, which the operations change, lock
/// themselves, so operations may run on several threads at once.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/machine/account_model.h"
#include "platform/machine/call_counter.h"
#include "platform/machine/device_model.h"
#include "platform/machine/eventlog_model.h"
#include "platform/machine/handle_table.h"
#include "platform/machine/machine_file.h"
#include "platform/machine/machine_library.h"
#include "platform/machine/registry_key.h"
#include "platform/machine/service_model.h"
#include "platform/machine/system_model.h"
#include "platform/machine/text_case.h"

namespace tov::machine {

class Machine {
 public:
  Machine();
  Machine(const Machine&) = delete;
  Machine& operator=(const Machine&) = delete;

  /// HKEY_LOCAL_MACHINE.
  RegistryKey& Registry() { return hklm_; }
  const RegistryKey& Registry() const { return hklm_; }

  /// Environment variables; names ignore letter case.
  Machine& Env(std::string_view name, std::string_view value);
  const std::string* FindEnv(std::string_view name) const;

  /// The NetBIOS computer name ("WORKSTATION" unless set).
  Machine& ComputerName(std::string_view name);
  const std::string& ComputerName() const { return computer_name_; }

  /// The Windows directory, without a trailing backslash ("C:\WINDOWS" unless set).
  Machine& WindowsDirectory(std::string_view path);
  const std::string& WindowsDirectory() const { return windows_directory_; }

  /// The ANSI code page of 8-bit texts (1252 unless set).
  Machine& AnsiCodePage(uint32_t code_page);
  uint32_t AnsiCodePage() const { return ansi_code_page_; }

  /// The clock: fixed at `seconds` since 1970-01-01 UTC once set, else the real time.
  Machine& Now(int64_t seconds);
  int64_t Now() const;

  /// Files, by path; File() adds one and returns it for its builder calls.
  MachineFile& File(std::string_view path) { return files_.Add(path); }
  const FileSystem& Files() const { return files_; }
  /// True for a folder that holds a file of the machine, and for the Windows
  /// directory and the folders above it.
  bool IsDirectory(std::string_view path) const;

  /// Libraries and their entry points; Library() adds one for its builder calls.
  MachineLibrary& Library(std::string_view name) { return libraries_.Add(name); }
  const LibrarySet& Libraries() const { return libraries_; }

  /// Services of the Service Control Manager; AddService() adds one (at the
  /// end of the manager's order) for its builder calls.
  ServiceModel& Services() { return services_; }
  const ServiceModel& Services() const { return services_; }
  MachineService& AddService(std::string_view name) { return services_.Add(name, hklm_); }

  /// Event logs, by name; AddEvent() appends a record (the newest) to a log.
  EventLogSet& EventLogs() { return event_logs_; }
  const EventLogSet& EventLogs() const { return event_logs_; }
  EventEntry& AddEvent(std::string_view log, uint32_t event_id) {
    return event_logs_.Log(log).Add(event_id);
  }

  /// Accounts, by SID; Account() adds one for its builder calls.
  tov::machine::Account& Account(std::string_view sid_text, std::string_view domain,
                                 std::string_view name) {
    return accounts_.Add(sid_text, domain, name);
  }
  const AccountSet& Accounts() const { return accounts_; }

  /// Device nodes, setup classes and driver packages (device_model.h).
  DeviceModel& Devices() { return devices_; }
  const DeviceModel& Devices() const { return devices_; }

  /// Processor, memory and operating-system version facts (system_model.h).
  SystemModel& System() { return system_; }
  const SystemModel& System() const { return system_; }

  /// Handles the platform operations have handed out, and calls they received.
  HandleTable& Handles() { return handles_; }
  int OpenHandles() const { return handles_.OpenCount(); }
  int OpenHandles(HandleKind kind) const { return handles_.OpenCount(kind); }
  CallCounter& CallLog() { return calls_; }
  int Calls(std::string_view operation) const { return calls_.Calls(operation); }

 private:
  RegistryKey hklm_;
  std::map<std::string, std::string, LessIgnoreCase> environment_;
  std::string computer_name_ = "WORKSTATION";
  std::string windows_directory_ = "C:\\WINDOWS";
  uint32_t ansi_code_page_ = 1252;
  std::optional<int64_t> now_;
  FileSystem files_;
  LibrarySet libraries_;
  EventLogSet event_logs_;
  AccountSet accounts_;
  ServiceModel services_;
  DeviceModel devices_;
  SystemModel system_;
  HandleTable handles_;
  CallCounter calls_;
};

}  // namespace tov::machine
