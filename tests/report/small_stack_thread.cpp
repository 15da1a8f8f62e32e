// A thread with a chosen stack size: CreateThread on Windows (reserving the
// size, as the product's threads do), pthread attributes elsewhere.
#include "tests/report/small_stack_thread.h"

#include <exception>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#else
#include <pthread.h>
#endif

namespace {

struct Job {
  const std::function<void()>* pFn;
  std::exception_ptr error;
};

void RunJob(Job* pJob) {
  try {
    (*pJob->pFn)();
  } catch (...) {
    pJob->error = std::current_exception();
  }
}

#ifdef _WIN32
DWORD WINAPI ThreadMain(LPVOID pParam) {
  RunJob(static_cast<Job*>(pParam));
  return 0;
}
#else
void* ThreadMain(void* pParam) {
  RunJob(static_cast<Job*>(pParam));
  return nullptr;
}
#endif

}  // namespace

void RunWithStack(size_t nStackBytes, const std::function<void()>& fn) {
  Job job{&fn, nullptr};
#ifdef _WIN32
  HANDLE hThread = CreateThread(nullptr, nStackBytes, ThreadMain, &job,
                                STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (hThread == nullptr) throw std::runtime_error("CreateThread failed");
  WaitForSingleObject(hThread, INFINITE);
  CloseHandle(hThread);
#else
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, nStackBytes);
  pthread_t thread;
  int nError = pthread_create(&thread, &attr, ThreadMain, &job);
  pthread_attr_destroy(&attr);
  if (nError != 0) throw std::runtime_error("pthread_create failed");
  pthread_join(thread, nullptr);
#endif
  if (job.error) std::rethrow_exception(job.error);
}
