// The Linux program's allocation functions: the C library's heap, with the
// one allocation that an injected fault names failing as the platform's
// would when memory runs out (std::bad_alloc, or null for the nothrow forms).
// Linked into the program only; the deallocation functions are replaced too,
// so that every block goes back the way it came.
#include <cstdlib>
#include <new>

#include "platform/posix/src/fault_injection.h"

namespace {

void* Allocate(std::size_t size) noexcept {
  if (tov::posix::AllocationFaultFires()) return nullptr;
  return std::malloc(size == 0 ? 1 : size);
}

void* AllocateOrThrow(std::size_t size) {
  void* p = Allocate(size);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

}  // namespace

void* operator new(std::size_t size) { return AllocateOrThrow(size); }
void* operator new[](std::size_t size) { return AllocateOrThrow(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }

void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
