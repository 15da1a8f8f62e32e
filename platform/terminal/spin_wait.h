// A short busy wait for another thread's answer, before a caller goes to
// sleep. Cross-thread messages come in quick series (two for every device of
// a pass); sleeping and being woken for each costs far more than the wait
// itself, on virtual machines most of all. Private to platform/terminal.
#pragma once

#include <chrono>
#include <mutex>
#include <thread>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace tov::terminal {

/// How long a caller spins before it sleeps.
constexpr std::chrono::microseconds kSpinBudget{60};

/// Whether spinning can help: another processor must be there to answer.
inline bool SpinningHelps() {
  static const bool helps = std::thread::hardware_concurrency() > 1;
  return helps;
}

/// Spins until `ready()` holds or the budget is spent; answers `ready()`.
/// Returns at once on a machine with one processor.
template <class Ready>
bool SpinUntil(Ready ready) {
  if (ready()) return true;
  if (!SpinningHelps()) return false;
  auto deadline = std::chrono::steady_clock::now() + kSpinBudget;
  for (;;) {
    for (int i = 0; i < 64; ++i) {
#if defined(__x86_64__) || defined(__i386__)
      _mm_pause();
#else
      std::this_thread::yield();
#endif
      if (ready()) return true;
    }
    if (std::chrono::steady_clock::now() >= deadline) return ready();
  }
}

/// A mutex whose contended lock spins briefly before it sleeps: the window
/// registry's lock is held for microseconds at a time, by the loop of the
/// window's thread and by a thread sending to it in turn.
class SpinningMutex {
 public:
  void lock() {
    if (!SpinUntil([this] { return mutex_.try_lock(); })) mutex_.lock();
  }
  bool try_lock() { return mutex_.try_lock(); }
  void unlock() { mutex_.unlock(); }

 private:
  std::mutex mutex_;
};

}  // namespace tov::terminal
