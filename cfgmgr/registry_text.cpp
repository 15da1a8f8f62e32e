#include "cfgmgr/registry_text.h"

#include <algorithm>
#include <cstring>

bool EndTextAtData(char* buffer, size_t cbBuffer, size_t cbData) {
  size_t n = std::min(cbData, cbBuffer);
  if (std::memchr(buffer, 0, n) != nullptr) return true;
  if (n >= cbBuffer) return false;
  buffer[n] = '\0';
  return true;
}

bool MultiStringToLines(char* buffer, size_t cbBuffer, size_t cbData) {
  size_t n = std::min(cbData, cbBuffer);
  size_t pos = 0;
  while (pos < n && buffer[pos] != '\0') {
    size_t end = pos;
    while (end < n && buffer[end] != '\0') ++end;
    // A last string without its NUL still gets its line feed, if there is room.
    if (end >= cbBuffer) return false;
    buffer[end] = '\n';
    pos = end + 1;
  }
  if (pos >= cbBuffer) return false;
  buffer[pos] = '\0';
  return true;
}
