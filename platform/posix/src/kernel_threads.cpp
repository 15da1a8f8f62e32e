// Threads on pthreads, as handles of the installed machine.
#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <memory>
#include <new>

#include "platform/posix/src/machine_access.h"
#include "platform/posix/src/waitable.h"
#include "win32_api.h"

namespace {

using tov::machine::kThreadHandle;
using tov::posix::ThreadObject;

std::atomic<DWORD> g_next_thread_id{1};

void* ThreadMain(void* arg) {
  std::unique_ptr<std::shared_ptr<ThreadObject>> thread(
      static_cast<std::shared_ptr<ThreadObject>*>(arg));
  (*thread)->Run();
  return nullptr;
}

struct AttrDeleter {
  void operator()(pthread_attr_t* attr) const { pthread_attr_destroy(attr); }
};

// The stack is given to pthreads whole: the requested size rounded up to
// pages, so a thread asked for 1 MiB can use (nearly) 1 MiB, no more and no
// less, as on the platform where the logic's stack needs were measured.
bool SetStackSize(pthread_attr_t* attr, SIZE_T requested) {
  if (requested == 0) return true;  // the system's default
  size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  size_t size = std::max(static_cast<size_t>(requested), static_cast<size_t>(PTHREAD_STACK_MIN));
  size = (size + page - 1) / page * page;
  return pthread_attr_setstacksize(attr, size) == 0;
}

HANDLE StartThread(const char* operation, SIZE_T stack_size, std::function<DWORD()> routine,
                   DWORD flags, DWORD* thread_id) {
  tov::machine::Machine* m = tov::posix::MachineFor(operation);
  if (m == nullptr) return nullptr;
  pthread_attr_t attr_storage;
  if (pthread_attr_init(&attr_storage) != 0) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  std::unique_ptr<pthread_attr_t, AttrDeleter> attr(&attr_storage);
  // Nobody joins: the handle's signal tells when the thread has ended.
  pthread_attr_setdetachstate(attr.get(), PTHREAD_CREATE_DETACHED);
  if (!SetStackSize(attr.get(), stack_size)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  // Everything that can fail is done before the thread starts: a thread
  // that runs while its creation is reported as failed would outlive what
  // its caller tears down.
  uintptr_t handle = 0;
  std::unique_ptr<std::shared_ptr<ThreadObject>> start;
  try {
    auto thread = std::make_shared<ThreadObject>(std::move(routine), (flags & CREATE_SUSPENDED) != 0);
    start = std::make_unique<std::shared_ptr<ThreadObject>>(thread);
    handle = m->Handles().Open(kThreadHandle, thread);
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  pthread_t id;
  if (pthread_create(&id, attr.get(), ThreadMain, start.get()) != 0) {
    m->Handles().Close(handle, {kThreadHandle});
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  start.release();  // the new thread owns it now
  if (thread_id != nullptr) *thread_id = g_next_thread_id++;
  return reinterpret_cast<HANDLE>(handle);
}

std::shared_ptr<ThreadObject> FindThread(const char* operation, HANDLE handle) {
  tov::machine::Machine* m = tov::posix::MachineFor(operation);
  if (m == nullptr) return nullptr;
  auto thread = m->Handles().Find<ThreadObject>(reinterpret_cast<uintptr_t>(handle), {kThreadHandle});
  if (!thread) SetLastError(ERROR_INVALID_HANDLE);
  return thread;
}

}  // namespace

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T dwStackSize, LPTHREAD_START_ROUTINE lpStartAddress,
                    LPVOID lpParameter, DWORD dwCreationFlags, LPDWORD lpThreadId) {
  if (lpStartAddress == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return StartThread(
      "CreateThread", dwStackSize, [=] { return lpStartAddress(lpParameter); }, dwCreationFlags,
      lpThreadId);
}

uintptr_t _beginthreadex(void*, unsigned stack_size, unsigned(__stdcall* start_address)(void*),
                         void* arglist, unsigned initflag, unsigned* thrdaddr) {
  if (start_address == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  DWORD id = 0;
  HANDLE h = StartThread(
      "_beginthreadex", stack_size, [=] { return static_cast<DWORD>(start_address(arglist)); },
      initflag, &id);
  if (thrdaddr != nullptr && h != nullptr) *thrdaddr = id;
  return reinterpret_cast<uintptr_t>(h);
}

DWORD ResumeThread(HANDLE hThread) {
  auto thread = FindThread("ResumeThread", hThread);
  return thread ? thread->Resume() : static_cast<DWORD>(-1);
}

BOOL SetThreadPriority(HANDLE hThread, int) {
  return FindThread("SetThreadPriority", hThread) ? TRUE : FALSE;
}

BOOL GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode) {
  auto thread = FindThread("GetExitCodeThread", hThread);
  if (!thread) return FALSE;
  if (lpExitCode != nullptr) *lpExitCode = thread->ExitCode();
  return TRUE;
}
