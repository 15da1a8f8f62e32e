// The per-thread last error code of the platform operations.
#include "win32_api.h"

namespace {
thread_local DWORD t_lastError = 0;
}

DWORD GetLastError(void) { return t_lastError; }
void SetLastError(DWORD dwErrCode) { t_lastError = dwErrCode; }
