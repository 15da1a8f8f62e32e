// The Linux platform layer implements every entry point it exports, so a
// call is simply made.
#include "cfgmgr/stub_guard.h"

bool CallEntryPoint(void (*pfnCall)(void*), void* pContext) {
  pfnCall(pContext);
  return true;
}
