// An unimplemented stub raises a non-continuable exception of its own code.
// A vectored handler sees it before anything else and, when the faulting
// thread is inside CallEntryPoint, jumps back there; the jump unwinds the
// stub's frames. Any other exception, or one outside a guarded call, goes on
// to the usual handlers.
#include "cfgmgr/stub_guard.h"

#include <csetjmp>

#include "win32_api.h"

namespace {

// The exception code of Wine's unimplemented-function stubs.
constexpr DWORD kStubExceptionCode = 0x80000100;

thread_local jmp_buf* t_pGuard = nullptr;

LONG CALLBACK OnException(EXCEPTION_POINTERS* pInfo) {
  if (pInfo->ExceptionRecord->ExceptionCode == kStubExceptionCode && t_pGuard != nullptr) {
    longjmp(*t_pGuard, 1);
  }
  return EXCEPTION_CONTINUE_SEARCH;
}

void InstallHandlerOnce() {
  // The handler stays for the life of the process; it costs nothing while
  // no stub is called.
  static const PVOID s_hHandler = AddVectoredExceptionHandler(1, OnException);
  (void)s_hHandler;
}

}  // namespace

bool CallEntryPoint(void (*pfnCall)(void*), void* pContext) {
  InstallHandlerOnce();
  jmp_buf guard;
  jmp_buf* pOuter = t_pGuard;
  if (setjmp(guard) != 0) {
    t_pGuard = pOuter;
    return false;
  }
  t_pGuard = &guard;
  pfnCall(pContext);
  t_pGuard = pOuter;
  return true;
}
