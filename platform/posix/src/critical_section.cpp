// Critical sections as recursive mutexes built in the caller's storage: the
// platform's critical section may be entered again by the thread holding it.
#include <mutex>
#include <new>

#include "platform/posix/src/fault_injection.h"
#include "win32_api.h"

namespace {

static_assert(sizeof(std::recursive_mutex) <= sizeof(CRITICAL_SECTION::opaque),
              "CRITICAL_SECTION storage too small");
static_assert(alignof(std::recursive_mutex) <= alignof(CRITICAL_SECTION),
              "CRITICAL_SECTION storage misaligned");

std::recursive_mutex& MutexIn(LPCRITICAL_SECTION cs) {
  return *std::launder(reinterpret_cast<std::recursive_mutex*>(cs->opaque));
}

}  // namespace

BOOL InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION lpCriticalSection, DWORD) {
  // The platform may lack the memory for the section's wait object.
  if (tov::posix::FaultFires("InitializeCriticalSectionAndSpinCount")) return FALSE;
  InitializeCriticalSection(lpCriticalSection);
  return TRUE;
}

void InitializeCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  new (lpCriticalSection->opaque) std::recursive_mutex();
}

void EnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  MutexIn(lpCriticalSection).lock();
}

void LeaveCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  MutexIn(lpCriticalSection).unlock();
}

void DeleteCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  MutexIn(lpCriticalSection).~recursive_mutex();
}
