// The test program's operator new and delete: malloc and free, plus a note
// of the largest request while a probe is active.
#include "tests/report/allocation_probe.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<bool> g_bActive{false};
std::atomic<size_t> g_nLargest{0};
}  // namespace

void* operator new(std::size_t n) {
  if (g_bActive.load(std::memory_order_relaxed)) {
    size_t nSeen = g_nLargest.load(std::memory_order_relaxed);
    while (n > nSeen && !g_nLargest.compare_exchange_weak(nSeen, n)) {
    }
  }
  void* p = std::malloc(n != 0 ? n : 1);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

// The array forms too: a sanitizer runtime would otherwise answer them itself.
void* operator new[](std::size_t n) { return operator new(n); }

void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

AllocationProbe::AllocationProbe() {
  g_nLargest = 0;
  g_bActive = true;
}

AllocationProbe::~AllocationProbe() { g_bActive = false; }

size_t AllocationProbe::Largest() const { return g_nLargest; }
