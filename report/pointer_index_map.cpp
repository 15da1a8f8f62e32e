// Linear probing over a table kept at most half full: lookups stay within a
// cache line or two, and nothing is allocated per entry.
#include "report/pointer_index_map.h"

namespace {
constexpr unsigned kInitialBits = 6;
}

PointerIndexMap::PointerIndexMap()
    : m_slots(size_t{1} << kInitialBits, Slot{nullptr, 0}), m_nShift(64 - kInitialBits) {}

size_t PointerIndexMap::Home(const void* p) const {
  // Fibonacci hashing: the high bits of the product mix all address bits,
  // including the low ones that alignment leaves at zero.
  uint64_t h = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(p)) * 0x9E3779B97F4A7C15ull;
  return static_cast<size_t>(h >> m_nShift);
}

DWORD PointerIndexMap::Find(const void* p) const {
  size_t mask = m_slots.size() - 1;
  for (size_t i = Home(p);; i = (i + 1) & mask) {
    const Slot& slot = m_slots[i];
    if (slot.pKey == p) return slot.nIndex;
    if (slot.pKey == nullptr) return 0;
  }
}

void PointerIndexMap::Set(const void* p, DWORD nIndex) {
  size_t mask = m_slots.size() - 1;
  for (size_t i = Home(p);; i = (i + 1) & mask) {
    Slot& slot = m_slots[i];
    if (slot.pKey == p) {
      slot.nIndex = nIndex;
      return;
    }
    if (slot.pKey == nullptr) {
      slot = Slot{p, nIndex};
      if (++m_nUsed * 2 > m_slots.size()) Grow();
      return;
    }
  }
}

void PointerIndexMap::Grow() {
  std::vector<Slot> old(m_slots.size() * 2, Slot{nullptr, 0});
  old.swap(m_slots);
  --m_nShift;
  size_t mask = m_slots.size() - 1;
  for (const Slot& slot : old) {
    if (slot.pKey == nullptr) continue;
    size_t i = Home(slot.pKey);
    while (m_slots[i].pKey != nullptr) i = (i + 1) & mask;
    m_slots[i] = slot;
  }
}
