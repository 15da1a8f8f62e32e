// The Service Control Manager over the machine's service model.
#include <cstring>
#include <string>

#include "platform/machine/service_model.h"
#include "platform/machine/text_case.h"
#include "platform/posix/src/machine_access.h"
#include "win32_api.h"

namespace {

using tov::machine::EqualsIgnoreCase;
using tov::machine::kScmHandle;
using tov::machine::kServiceHandle;
using tov::machine::Machine;
using tov::machine::MachineService;

struct OpenManager : tov::machine::HandleObject {
  int enumeration_calls = 0;
};

struct OpenService : tov::machine::HandleObject {
  explicit OpenService(const MachineService* s) : service(s) {}
  const MachineService* service;
};

uintptr_t FromHandle(SC_HANDLE handle) { return reinterpret_cast<uintptr_t>(handle); }
SC_HANDLE ToHandle(uintptr_t handle) { return reinterpret_cast<SC_HANDLE>(handle); }

bool IsThisComputer(const Machine& m, LPCSTR name) {
  if (name == nullptr || *name == '\0') return true;
  std::string_view text(name);
  if (text.substr(0, 2) == "\\\\") text.remove_prefix(2);
  return EqualsIgnoreCase(text, m.ComputerName());
}

bool Lists(const MachineService& service, DWORD type_mask, DWORD state_mask) {
  const SERVICE_STATUS& status = service.Status();
  if ((status.dwServiceType & type_mask) == 0) return false;
  DWORD state = status.dwCurrentState == SERVICE_STOPPED ? SERVICE_INACTIVE : SERVICE_ACTIVE;
  return (state & state_mask) != 0;
}

// The bytes one enumeration entry takes: the entry and its two names.
size_t EntrySize(const MachineService& service) {
  return sizeof(ENUM_SERVICE_STATUSA) + service.Name().size() + 1 +
         service.DisplayName().size() + 1;
}

// Places a text (with its NUL) below `top` and returns where it starts.
char* PutBelow(char*& top, const std::string& text) {
  top -= text.size() + 1;
  std::memcpy(top, text.c_str(), text.size() + 1);
  return top;
}

// Copies a text (with its NUL) to `at` and moves `at` behind it.
char* PutAt(char*& at, const std::string& text) {
  char* start = at;
  std::memcpy(at, text.c_str(), text.size() + 1);
  at += text.size() + 1;
  return start;
}

}  // namespace

SC_HANDLE OpenSCManagerA(LPCSTR lpMachineName, LPCSTR lpDatabaseName, DWORD) {
  Machine* m = tov::posix::MachineFor("OpenSCManagerA");
  if (m == nullptr) return nullptr;
  if (!IsThisComputer(*m, lpMachineName)) {
    SetLastError(RPC_S_SERVER_UNAVAILABLE);
    return nullptr;
  }
  if (lpDatabaseName != nullptr && !EqualsIgnoreCase(lpDatabaseName, SERVICES_ACTIVE_DATABASEA)) {
    SetLastError(ERROR_DATABASE_DOES_NOT_EXIST);
    return nullptr;
  }
  if (auto refusal = m->Services().OpenRefusal()) {
    SetLastError(*refusal);
    return nullptr;
  }
  return ToHandle(m->Handles().Open(kScmHandle, std::make_shared<OpenManager>()));
}

BOOL EnumServicesStatusA(SC_HANDLE hSCManager, DWORD dwServiceType, DWORD dwServiceState,
                         LPENUM_SERVICE_STATUSA lpServices, DWORD cbBufSize,
                         LPDWORD pcbBytesNeeded, LPDWORD lpServicesReturned,
                         LPDWORD lpResumeHandle) {
  Machine* m = tov::posix::MachineFor("EnumServicesStatusA");
  if (m == nullptr) return FALSE;
  auto manager = m->Handles().Find<OpenManager>(FromHandle(hSCManager), {kScmHandle});
  if (!manager) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (pcbBytesNeeded == nullptr || lpServicesReturned == nullptr ||
      (lpServices == nullptr && cbBufSize != 0) || (dwServiceState & ~SERVICE_STATE_ALL) != 0 ||
      dwServiceState == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *pcbBytesNeeded = 0;
  *lpServicesReturned = 0;
  if (auto error = m->Services().EnumerationFailure(++manager->enumeration_calls)) {
    SetLastError(*error);
    return FALSE;
  }
  const auto& all = m->Services().All();
  size_t next = lpResumeHandle != nullptr ? *lpResumeHandle : 0;
  // Entries fill the buffer from its start, their names from its end down.
  char* base = reinterpret_cast<char*>(lpServices);
  char* top = base + cbBufSize;
  size_t used = 0;
  DWORD returned = 0;
  for (; next < all.size(); ++next) {
    const MachineService& service = *all[next];
    if (!Lists(service, dwServiceType, dwServiceState)) continue;
    if (EntrySize(service) > cbBufSize - used) break;
    ENUM_SERVICE_STATUSA entry{};
    entry.lpServiceName = PutBelow(top, service.Name());
    entry.lpDisplayName = PutBelow(top, service.DisplayName());
    entry.ServiceStatus = service.Status();
    std::memcpy(base + returned * sizeof(entry), &entry, sizeof(entry));
    used += EntrySize(service);
    ++returned;
  }
  *lpServicesReturned = returned;
  if (next == all.size()) {
    if (lpResumeHandle != nullptr) *lpResumeHandle = 0;
    return TRUE;
  }
  DWORD needed = 0;
  for (size_t i = next; i < all.size(); ++i) {
    if (Lists(*all[i], dwServiceType, dwServiceState)) needed += EntrySize(*all[i]);
  }
  *pcbBytesNeeded = needed;
  if (lpResumeHandle != nullptr) *lpResumeHandle = static_cast<DWORD>(next);
  SetLastError(ERROR_MORE_DATA);
  return FALSE;
}

SC_HANDLE OpenServiceA(SC_HANDLE hSCManager, LPCSTR lpServiceName, DWORD) {
  Machine* m = tov::posix::MachineFor("OpenServiceA");
  if (m == nullptr) return nullptr;
  if (!m->Handles().Find<OpenManager>(FromHandle(hSCManager), {kScmHandle})) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  // A service name has at least one character.
  if (lpServiceName == nullptr || *lpServiceName == '\0') {
    SetLastError(ERROR_INVALID_NAME);
    return nullptr;
  }
  const MachineService* service = m->Services().Find(lpServiceName);
  if (service == nullptr) {
    SetLastError(ERROR_SERVICE_DOES_NOT_EXIST);
    return nullptr;
  }
  if (service->AccessDenied()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  return ToHandle(m->Handles().Open(kServiceHandle, std::make_shared<OpenService>(service)));
}

BOOL QueryServiceConfigA(SC_HANDLE hService, LPQUERY_SERVICE_CONFIGA lpServiceConfig,
                         DWORD cbBufSize, LPDWORD pcbBytesNeeded) {
  Machine* m = tov::posix::MachineFor("QueryServiceConfigA");
  if (m == nullptr) return FALSE;
  auto open = m->Handles().Find<OpenService>(FromHandle(hService), {kServiceHandle});
  if (!open) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (pcbBytesNeeded == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const MachineService& service = *open->service;
  const tov::machine::ServiceConfig& config = service.Config();
  // The dependency list: each name with its NUL, then an empty name.
  std::string dependencies;
  for (const std::string& name : config.dependencies) dependencies += name + '\0';
  size_t needed = sizeof(QUERY_SERVICE_CONFIGA) + config.binary_path.size() + 1 +
                  config.load_order_group.size() + 1 + dependencies.size() + 1 +
                  config.start_name.size() + 1 + service.DisplayName().size() + 1;
  *pcbBytesNeeded = static_cast<DWORD>(needed);
  if (lpServiceConfig == nullptr || cbBufSize < needed) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  char* at = reinterpret_cast<char*>(lpServiceConfig) + sizeof(QUERY_SERVICE_CONFIGA);
  QUERY_SERVICE_CONFIGA out{};
  out.dwServiceType = config.service_type;
  out.dwStartType = config.start_type;
  out.dwErrorControl = config.error_control;
  out.lpBinaryPathName = PutAt(at, config.binary_path);
  out.lpLoadOrderGroup = PutAt(at, config.load_order_group);
  out.dwTagId = config.tag_id;
  out.lpDependencies = PutAt(at, dependencies);
  out.lpServiceStartName = PutAt(at, config.start_name);
  out.lpDisplayName = PutAt(at, service.DisplayName());
  std::memcpy(lpServiceConfig, &out, sizeof(out));
  return TRUE;
}

BOOL CloseServiceHandle(SC_HANDLE hSCObject) {
  Machine* m = tov::posix::MachineFor("CloseServiceHandle");
  if (m == nullptr) return FALSE;
  if (!m->Handles().Close(FromHandle(hSCObject), {kScmHandle, kServiceHandle})) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}
