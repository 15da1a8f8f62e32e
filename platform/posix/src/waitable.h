// Kernel objects that WaitForSingleObject can wait for. Private to platform/posix.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>

#include "platform/machine/handle_table.h"
#include "win32/base_types.h"

namespace tov::posix {

/// A signal that is set or not: an event, or the end of a thread.
class Waitable : public machine::HandleObject {
 public:
  Waitable(bool manual_reset, bool signalled) : manual_reset_(manual_reset), signalled_(signalled) {}

  void Set();
  void Reset();
  /// Waits up to `milliseconds` (INFINITE: no limit) for the signal; true when
  /// it came. A wait that sees an auto-reset signal resets it.
  bool Wait(DWORD milliseconds);

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  const bool manual_reset_;
  bool signalled_;
};

/// A thread started by CreateThread: signalled when its routine returns.
class ThreadObject : public Waitable {
 public:
  ThreadObject(std::function<DWORD()> routine, bool suspended)
      : Waitable(true, false), routine_(std::move(routine)), suspend_count_(suspended ? 1 : 0) {}

  /// Runs on the new thread: waits while suspended, runs the routine, signals.
  void Run();
  /// Lowers the suspend count; returns the count before.
  DWORD Resume();
  /// STILL_ACTIVE until the routine has returned, then its result.
  DWORD ExitCode();

 private:
  std::function<DWORD()> routine_;
  std::mutex mutex_;
  std::condition_variable resumed_;
  DWORD suspend_count_;
  bool finished_ = false;
  DWORD exit_code_ = 0;
};

}  // namespace tov::posix
