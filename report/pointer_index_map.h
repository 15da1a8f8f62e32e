/// The indices of the objects and classes a storing archive has written: an
/// open-addressing table keyed by address, since every reference looks one up.
#pragma once

#include <cstdint>
#include <vector>

#include "win32_api.h"

/// Maps non-null addresses to non-zero indices.
class PointerIndexMap {
 public:
  PointerIndexMap();

  /// The index of p, or 0 when it has none.
  DWORD Find(const void* p) const;
  /// Gives p the index nIndex, replacing an earlier one.
  void Set(const void* p, DWORD nIndex);

 private:
  struct Slot {
    const void* pKey;  // nullptr: empty
    DWORD nIndex;
  };

  size_t Home(const void* p) const;
  void Grow();

  std::vector<Slot> m_slots;  // a power of two in size, at most half full
  unsigned m_nShift;          // 64 - log2(m_slots.size())
  size_t m_nUsed = 0;
};
