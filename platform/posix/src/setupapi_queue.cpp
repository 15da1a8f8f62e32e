// File queues: opened, filled by the class installer, scanned and closed. The
// machine never commits a queue.
#include "platform/posix/src/device_handles.h"
#include "platform/posix/src/machine_access.h"
#include "win32_api.h"

using tov::machine::kFileQueueHandle;
using tov::machine::Machine;
using tov::posix::FileQueue;

HSPFILEQ SetupOpenFileQueue(void) {
  Machine* m = tov::posix::MachineFor("SetupOpenFileQueue");
  if (m == nullptr) return INVALID_HANDLE_VALUE;
  return reinterpret_cast<HSPFILEQ>(m->Handles().Open(kFileQueueHandle, std::make_shared<FileQueue>()));
}

BOOL SetupScanFileQueueA(HSPFILEQ FileQueue, DWORD Flags, HWND, PSP_FILE_CALLBACK_A CallbackRoutine,
                         PVOID CallbackContext, PDWORD Result) {
  Machine* m = tov::posix::MachineFor("SetupScanFileQueueA");
  if (m == nullptr) return FALSE;
  auto queue = m->Handles().Find<tov::posix::FileQueue>(reinterpret_cast<uintptr_t>(FileQueue),
                                                        {kFileQueueHandle});
  if (!queue) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (Flags != SPQ_SCAN_USE_CALLBACK || CallbackRoutine == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (Result != nullptr) *Result = 0;
  for (const std::string& target : queue->targets) {
    UINT answer = CallbackRoutine(CallbackContext, SPFILENOTIFY_QUEUESCAN,
                                  reinterpret_cast<UINT_PTR>(target.c_str()), 0);
    if (answer != 0) {
      SetLastError(answer);
      return FALSE;
    }
  }
  return TRUE;
}

BOOL SetupCloseFileQueue(HSPFILEQ QueueHandle) {
  Machine* m = tov::posix::MachineFor("SetupCloseFileQueue");
  if (m == nullptr) return FALSE;
  if (!tov::posix::ReleaseDeviceHandle(*m, reinterpret_cast<uintptr_t>(QueueHandle),
                                       {kFileQueueHandle})) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}
