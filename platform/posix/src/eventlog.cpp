// Event log reads over the machine model's logs.
#include <cstring>
#include <memory>
#include <vector>

#include "platform/machine/eventlog_model.h"
#include "platform/posix/src/machine_access.h"
#include "win32_api.h"

namespace {

using tov::machine::EventLog;
using tov::machine::HandleKind;
using tov::machine::Machine;

inline constexpr HandleKind kEventLogHandle{"event log"};

// An open log and how many of its records, counted from the oldest, are
// still to be read backwards.
struct OpenLog : tov::machine::HandleObject {
  explicit OpenLog(const EventLog* l) : log(l), remaining(l->Entries().size()) {}
  const EventLog* log;
  size_t remaining;
};

}  // namespace

HANDLE OpenEventLogA(LPCSTR lpUNCServerName, LPCSTR lpSourceName) {
  Machine* m = tov::posix::MachineFor("OpenEventLogA");
  if (m == nullptr) return nullptr;
  if (lpUNCServerName != nullptr || lpSourceName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const EventLog* log = m->EventLogs().Find(lpSourceName);
  if (log == nullptr) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return nullptr;
  }
  if (log->Refused()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  return reinterpret_cast<HANDLE>(m->Handles().Open(kEventLogHandle, std::make_shared<OpenLog>(log)));
}

BOOL ReadEventLogA(HANDLE hEventLog, DWORD dwReadFlags, DWORD, LPVOID lpBuffer,
                   DWORD nNumberOfBytesToRead, DWORD* pnBytesRead,
                   DWORD* pnMinNumberOfBytesNeeded) {
  Machine* m = tov::posix::MachineFor("ReadEventLogA");
  if (m == nullptr) return FALSE;
  auto open = m->Handles().Find<OpenLog>(reinterpret_cast<uintptr_t>(hEventLog), {kEventLogHandle});
  if (!open) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (dwReadFlags != (EVENTLOG_SEQUENTIAL_READ | EVENTLOG_BACKWARDS_READ) || lpBuffer == nullptr ||
      pnBytesRead == nullptr || pnMinNumberOfBytesNeeded == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *pnBytesRead = 0;
  *pnMinNumberOfBytesNeeded = 0;
  if (open->remaining == 0) {
    SetLastError(ERROR_HANDLE_EOF);
    return FALSE;
  }
  BYTE* out = static_cast<BYTE*>(lpBuffer);
  DWORD used = 0;
  while (open->remaining > 0) {
    size_t index = open->remaining - 1;
    std::vector<uint8_t> record =
        open->log->Entries()[index].Bytes(static_cast<uint32_t>(index + 1), m->ComputerName());
    if (record.size() > nNumberOfBytesToRead - used) {
      if (used > 0) break;  // the batch ends with the last record that fit
      *pnMinNumberOfBytesNeeded = static_cast<DWORD>(record.size());
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return FALSE;
    }
    if (!record.empty()) std::memcpy(out + used, record.data(), record.size());
    used += static_cast<DWORD>(record.size());
    --open->remaining;
  }
  *pnBytesRead = used;
  return TRUE;
}

BOOL CloseEventLog(HANDLE hEventLog) {
  Machine* m = tov::posix::MachineFor("CloseEventLog");
  if (m == nullptr) return FALSE;
  if (!m->Handles().Close(reinterpret_cast<uintptr_t>(hEventLog), {kEventLogHandle})) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}
