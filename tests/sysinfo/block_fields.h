// The little-endian fields of a stored system block, read at their offsets.
#pragma once

#include <cstddef>
#include <cstring>

#include "win32_api.h"

namespace tov::test {

inline DWORD DwordAt(const BYTE* pBlock, size_t nOffset) {
  DWORD dw;
  std::memcpy(&dw, pBlock + nOffset, sizeof(dw));
  return dw;
}

inline WORD WordAt(const BYTE* pBlock, size_t nOffset) {
  WORD w;
  std::memcpy(&w, pBlock + nOffset, sizeof(w));
  return w;
}

}  // namespace tov::test
