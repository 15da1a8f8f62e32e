// Sleeping and the tick count: real time, not the machine's clock, since they
// pace the program rather than describe the computer.
#include <chrono>
#include <thread>

#include "win32_api.h"

void Sleep(DWORD dwMilliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(dwMilliseconds));
}

DWORD GetTickCount(void) {
  auto since_start = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<DWORD>(
      std::chrono::duration_cast<std::chrono::milliseconds>(since_start).count());
}
