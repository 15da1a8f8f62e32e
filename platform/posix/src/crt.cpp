// C runtime functions answered by the machine model (the clock) or built on
// its text rules (case-insensitive comparison).
#include <cstring>

#include "platform/machine/text_case.h"
#include "platform/posix/src/machine_access.h"
#include "win32_api.h"

int _stricmp(const char* a, const char* b) { return tov::machine::CompareIgnoreCase(a, b); }

int _strnicmp(const char* a, const char* b, size_t count) {
  return tov::machine::CompareIgnoreCase(std::string_view(a, strnlen(a, count)),
                                         std::string_view(b, strnlen(b, count)));
}

__time64_t _time64(__time64_t* timer) {
  tov::machine::Machine* m = tov::posix::MachineFor("_time64");
  __time64_t now = m != nullptr ? m->Now() : -1;
  if (timer != nullptr) *timer = now;
  return now;
}
