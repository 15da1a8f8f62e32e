// A thread with a chosen stack size, made the way the product makes its
// threads: CreateThread, reserving exactly that much stack.
#include "tests/report/small_stack_thread.h"

#include <exception>
#include <stdexcept>

#include "win32_api.h"

namespace {

struct Job {
  const std::function<void()>* pFn;
  std::exception_ptr error;
};

DWORD WINAPI ThreadMain(LPVOID pParam) {
  Job* pJob = static_cast<Job*>(pParam);
  try {
    (*pJob->pFn)();
  } catch (...) {
    pJob->error = std::current_exception();
  }
  return 0;
}

}  // namespace

void RunWithStack(size_t nStackBytes, const std::function<void()>& fn) {
  Job job{&fn, nullptr};
  HANDLE hThread = CreateThread(nullptr, nStackBytes, ThreadMain, &job,
                                STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (hThread == nullptr) throw std::runtime_error("CreateThread failed");
  WaitForSingleObject(hThread, INFINITE);
  CloseHandle(hThread);
  if (job.error) std::rethrow_exception(job.error);
}
