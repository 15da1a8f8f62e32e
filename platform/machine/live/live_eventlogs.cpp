// The live machine's event logs: the systemd journal, read directly from its
// files with sd-journal, as the System, Security and Norvan logs, with
// message files registered so that each record renders as the entry's text.
// docs/live-machine.md ("Event logs") gives the mapping field by field.
#include <systemd/sd-journal.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/machine/event_record_builder.h"
#include "platform/machine/live/live_files.h"
#include "platform/machine/live/live_source.h"
#include "win32_api.h"

namespace tov::machine::live {

namespace {

// A capture reads at most the newest 200 records of a log, so no more are
// loaded; and it reads records in batches of 4096 bytes, so a longer entry
// is shortened to fit one batch rather than end the capture.
constexpr size_t kEntriesPerLog = 200;
constexpr size_t kMaxRecordBytes = 4096;
constexpr size_t kMaxNameBytes = 255;  // a source or computer name
constexpr std::string_view kCut = "...";

constexpr const char* kJournalDirectories[] = {"/var/log/journal", "/run/log/journal"};
constexpr const char* kEventLogKey = "SYSTEM\\CurrentControlSet\\Services\\EventLog\\";
// The message files every source registers, in the system folder: one whose
// messages 0 to 7 (the priorities) are the entry's text, one whose
// categories are the syslog facilities, numbered from 1.
constexpr const char* kMessageFile = "journalmsg.dll";
constexpr const char* kCategoryFile = "journalcat.dll";
constexpr const char* kFacilities[] = {
    "kern",   "user",   "mail",   "daemon",   "auth",    "syslog",       "lpr",    "news",
    "uucp",   "cron",   "authpriv", "ftp",    "ntp",     "security",     "console", "solaris-cron",
    "local0", "local1", "local2", "local3",   "local4",  "local5",       "local6", "local7"};
constexpr int kFacilityCount = static_cast<int>(std::size(kFacilities));
constexpr int kAuth = 4;
constexpr int kAuthPriv = 10;
// The journal's own level for an entry that names none: informational.
constexpr int kDefaultPriority = 6;

struct JournalDeleter {
  void operator()(sd_journal* j) const { sd_journal_close(j); }
};
using Journal = std::unique_ptr<sd_journal, JournalDeleter>;

// One journal entry, as far as a record needs it.
struct Entry {
  int64_t time = 0;  // seconds since 1970-01-01 UTC
  int priority = kDefaultPriority;
  int facility = -1;  // none
  std::string source;
  std::string computer;
  std::string message;
  std::optional<std::string> uid;
};

// The journal files below the root that this process may read: those of the
// journal folders and of their per-machine subfolders.
std::vector<std::string> JournalFiles(const LiveRoot& where) {
  std::vector<std::string> files;
  auto add_folder = [&](const std::string& folder) {
    for (const std::string& name : ListDirectory(where, folder)) {
      std::string path = folder + "/" + name;
      bool journal = name.size() > 8 && (name.compare(name.size() - 8, 8, ".journal") == 0 ||
                                         name.compare(name.size() - 9, 9, ".journal~") == 0);
      if (!journal || !IsFile(where, path)) continue;
      std::optional<std::string> host = HostPath(where, path);
      if (host && access(host->c_str(), R_OK) == 0) files.push_back(*host);
    }
  };
  for (const char* dir : kJournalDirectories) {
    add_folder(dir);
    for (const std::string& name : ListDirectory(where, dir)) {
      std::string folder = std::string(dir) + "/" + name;
      if (IsDirectory(where, folder)) add_folder(folder);
    }
  }
  return files;
}

std::optional<std::string> Field(sd_journal* j, const char* name) {
  const void* data = nullptr;
  size_t length = 0;
  if (sd_journal_get_data(j, name, &data, &length) < 0) return std::nullopt;
  std::string_view text(static_cast<const char*>(data), length);
  size_t equals = text.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  return std::string(text.substr(equals + 1));
}

// A user ID: a decimal number below 2^32.
bool IsUid(const std::string& text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos &&
         (text.size() < 10 || (text.size() == 10 && text <= "4294967295"));
}

std::optional<int> SmallNumber(const std::optional<std::string>& text, int limit) {
  if (!text || text->empty() || text->size() > 3) return std::nullopt;
  int value = 0;
  for (char c : *text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value < limit ? std::optional<int>(value) : std::nullopt;
}

// At most `limit` bytes of `text`, cut before a UTF-8 sequence, never inside one.
std::string Cut(std::string text, size_t limit) {
  if (text.size() <= limit) return text;
  size_t end = limit;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  text.resize(end);
  return text;
}

Entry ReadEntry(sd_journal* j) {
  Entry e;
  uint64_t usec = 0;
  if (sd_journal_get_realtime_usec(j, &usec) >= 0) e.time = static_cast<int64_t>(usec / 1000000);
  e.priority = SmallNumber(Field(j, "PRIORITY"), 8).value_or(kDefaultPriority);
  e.facility = SmallNumber(Field(j, "SYSLOG_FACILITY"), kFacilityCount).value_or(-1);
  e.source = Field(j, "SYSLOG_IDENTIFIER").value_or(Field(j, "_COMM").value_or("journal"));
  // A source is a registry key's name, which cannot hold a backslash.
  std::replace(e.source.begin(), e.source.end(), '\\', '/');
  e.source = Cut(e.source, kMaxNameBytes);
  e.computer = Cut(Field(j, "_HOSTNAME").value_or(""), kMaxNameBytes);
  e.message = Field(j, "MESSAGE").value_or("");
  // A record's strings end at a NUL; a binary message keeps its other bytes.
  std::replace(e.message.begin(), e.message.end(), '\0', ' ');
  e.uid = Field(j, "_UID");
  if (e.uid && !IsUid(*e.uid)) e.uid.reset();
  return e;
}

// The newest entries that match `matches` (alternatives of one field) and
// that `keep` accepts, oldest first.
template <class Keep>
std::vector<Entry> NewestEntries(sd_journal* j, const std::vector<std::string>& matches, Keep keep) {
  sd_journal_flush_matches(j);
  for (const std::string& match : matches) sd_journal_add_match(j, match.data(), match.size());
  std::vector<Entry> entries;
  if (sd_journal_seek_tail(j) < 0) return entries;
  while (entries.size() < kEntriesPerLog && sd_journal_previous(j) > 0) {
    Entry e = ReadEntry(j);
    if (keep(e)) entries.push_back(std::move(e));
  }
  std::reverse(entries.begin(), entries.end());
  return entries;
}

uint16_t EventType(int priority) {
  if (priority <= 3) return EVENTLOG_ERROR_TYPE;  // emerg, alert, crit, err
  if (priority == 4) return EVENTLOG_WARNING_TYPE;
  return EVENTLOG_INFORMATION_TYPE;  // notice, info, debug
}

std::string UserSid(const std::string& uid) { return "S-1-22-1-" + uid; }

// Shortens the message so that the whole record fits one read batch.
void FitRecord(Entry& e, const std::string& computer) {
  EventRecordFields fields;
  fields.source = e.source;
  fields.computer = computer;
  if (e.uid) fields.sid = SidFromText(UserSid(*e.uid)).value_or(std::vector<uint8_t>());
  fields.strings = {e.message};
  size_t size = BuildEventRecord(fields).size();
  if (size <= kMaxRecordBytes) return;
  // Padding to a 4-byte boundary may grow by up to 3 bytes as the text shrinks.
  size_t room = e.message.size() - (size - kMaxRecordBytes) - 3 - kCut.size();
  e.message = Cut(std::move(e.message), room) + std::string(kCut);
}

void AddRecords(const std::string& log, std::vector<Entry> entries, Machine& machine) {
  RegistryKey& key = machine.Registry().Key(kEventLogKey + log);
  for (Entry& e : entries) {
    FitRecord(e, e.computer.empty() ? machine.ComputerName() : e.computer);
    EventEntry& record = machine.AddEvent(log, static_cast<uint32_t>(e.priority));
    record.Source(e.source).At(e.time).Type(EventType(e.priority)).Strings({e.message});
    if (e.facility >= 0) record.Category(static_cast<uint16_t>(e.facility + 1));
    if (!e.computer.empty()) record.Computer(e.computer);
    if (e.uid) record.User(UserSid(*e.uid));
    RegistryKey& source = key.Key(e.source);
    source.ExpandSz("EventMessageFile", kMessageFile)
        .ExpandSz("CategoryMessageFile", kCategoryFile)
        .Dword("CategoryCount", kFacilityCount)
        .Dword("TypesSupported", EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE |
                                     EVENTLOG_INFORMATION_TYPE);
  }
}

// The message files, in the system folder where a bare registered name is found.
void AddMessageFiles(Machine& machine) {
  std::string folder = machine.WindowsDirectory() + "\\System32\\";
  MachineFile& messages = machine.File(folder + kMessageFile);
  for (uint32_t priority = 0; priority < 8; ++priority) messages.Message(priority, "%1\r\n");
  MachineFile& categories = machine.File(folder + kCategoryFile);
  for (int i = 0; i < kFacilityCount; ++i) {
    categories.Message(static_cast<uint32_t>(i + 1), std::string(kFacilities[i]) + "\r\n");
  }
}

// The accounts of /etc/passwd (its text) as the SIDs S-1-22-1-<uid>, local
// accounts of this computer.
void AddAccounts(const std::string& passwd, Machine& machine) {
  size_t start = 0;
  while (start < passwd.size()) {
    size_t end = std::min(passwd.find('\n', start), passwd.size());
    std::string line = passwd.substr(start, end - start);
    start = end + 1;
    size_t name_end = line.find(':');
    size_t uid_start = name_end == std::string::npos ? name_end : line.find(':', name_end + 1);
    if (uid_start == std::string::npos || name_end == 0) continue;
    std::string uid = line.substr(uid_start + 1, line.find(':', uid_start + 1) - uid_start - 1);
    if (IsUid(uid)) machine.Account(UserSid(uid), machine.ComputerName(), line.substr(0, name_end));
  }
}

}  // namespace

std::function<void(Machine&)> ReadLiveEventLogs(const LiveRoot& where) {
  std::map<std::string, std::vector<Entry>> logs;
  std::vector<std::string> files = JournalFiles(where);
  std::vector<const char*> paths;
  for (const std::string& file : files) paths.push_back(file.c_str());
  paths.push_back(nullptr);
  sd_journal* raw = nullptr;
  if (!files.empty() && sd_journal_open_files(&raw, paths.data(), 0) >= 0) {
    Journal journal(raw);
    auto any = [](const Entry&) { return true; };
    logs["System"] = NewestEntries(journal.get(), {}, [](const Entry& e) {
      return e.facility != kAuth && e.facility != kAuthPriv;
    });
    logs["Security"] = NewestEntries(journal.get(), {"SYSLOG_FACILITY=4", "SYSLOG_FACILITY=10"}, any);
    logs["Norvan"] = NewestEntries(journal.get(), {"SYSLOG_IDENTIFIER=norvan"}, any);
  }
  std::string passwd = ReadFile(where, "/etc/passwd").value_or("");

  return [logs = std::move(logs), passwd = std::move(passwd)](Machine& machine) mutable {
    for (const char* log : {"System", "Security", "Norvan"}) {
      machine.EventLogs().Log(log);
      machine.Registry().Key(kEventLogKey + std::string(log));
    }
    AddMessageFiles(machine);
    AddAccounts(passwd, machine);
    for (const char* log : {"System", "Security", "Norvan"}) {
      AddRecords(log, std::move(logs[log]), machine);
    }
  };
}

void LoadLiveEventLogs(const LiveRoot& where, Machine& machine) { ReadLiveEventLogs(where)(machine); }

}  // namespace tov::machine::live
