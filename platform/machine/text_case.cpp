#include "platform/machine/text_case.h"

namespace tov::machine {

namespace {
unsigned char Lower(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u + ('a' - 'A')) : u;
}
}  // namespace

int CompareIgnoreCase(std::string_view a, std::string_view b) {
  size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    int d = Lower(a[i]) - Lower(b[i]);
    if (d != 0) return d;
  }
  // A shorter text sorts first, as its terminating NUL would.
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

}  // namespace tov::machine
