// Events, waits and CloseHandle over the installed machine's handle table.
#include <memory>
#include <new>

#include "platform/posix/src/machine_access.h"
#include "platform/posix/src/waitable.h"
#include "win32_api.h"

namespace {

using tov::machine::kEventHandle;
using tov::machine::kThreadHandle;
using tov::posix::Waitable;

std::shared_ptr<Waitable> FindEvent(const char* operation, HANDLE handle) {
  tov::machine::Machine* m = tov::posix::MachineFor(operation);
  if (m == nullptr) return nullptr;
  auto event = m->Handles().Find<Waitable>(reinterpret_cast<uintptr_t>(handle), {kEventHandle});
  if (!event) SetLastError(ERROR_INVALID_HANDLE);
  return event;
}

}  // namespace

HANDLE CreateEventA(LPSECURITY_ATTRIBUTES, BOOL bManualReset, BOOL bInitialState, LPCSTR) {
  tov::machine::Machine* m = tov::posix::MachineFor("CreateEventA");
  if (m == nullptr) return nullptr;
  try {
    auto event = std::make_shared<Waitable>(bManualReset != FALSE, bInitialState != FALSE);
    return reinterpret_cast<HANDLE>(m->Handles().Open(kEventHandle, event));
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
}

BOOL SetEvent(HANDLE hEvent) {
  auto event = FindEvent("SetEvent", hEvent);
  if (!event) return FALSE;
  event->Set();
  return TRUE;
}

BOOL ResetEvent(HANDLE hEvent) {
  auto event = FindEvent("ResetEvent", hEvent);
  if (!event) return FALSE;
  event->Reset();
  return TRUE;
}

DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
  tov::machine::Machine* m = tov::posix::MachineFor("WaitForSingleObject");
  if (m == nullptr) return WAIT_FAILED;
  // The table's lock is not held while waiting: the object stays alive through
  // this reference even when another thread closes the handle meanwhile.
  auto object = m->Handles().Find<Waitable>(reinterpret_cast<uintptr_t>(hHandle),
                                            {kEventHandle, kThreadHandle});
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  return object->Wait(dwMilliseconds) ? WAIT_OBJECT_0 : static_cast<DWORD>(WAIT_TIMEOUT);
}

BOOL CloseHandle(HANDLE hObject) {
  tov::machine::Machine* m = tov::posix::MachineFor("CloseHandle");
  if (m == nullptr) return FALSE;
  if (!m->Handles().Close(reinterpret_cast<uintptr_t>(hObject), {kEventHandle, kThreadHandle})) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}
