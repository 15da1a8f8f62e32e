#include "platform/posix/src/waitable.h"

#include <chrono>

#include "win32_api.h"

namespace tov::posix {

void Waitable::Set() {
  std::lock_guard<std::mutex> lock(mutex_);
  signalled_ = true;
  // An auto-reset event releases one waiter; the others keep waiting.
  if (manual_reset_) {
    changed_.notify_all();
  } else {
    changed_.notify_one();
  }
}

void Waitable::Reset() {
  std::lock_guard<std::mutex> lock(mutex_);
  signalled_ = false;
}

bool Waitable::Wait(DWORD milliseconds) {
  std::unique_lock<std::mutex> lock(mutex_);
  auto ready = [this] { return signalled_; };
  if (milliseconds == INFINITE) {
    changed_.wait(lock, ready);
  } else if (milliseconds == 0) {
    if (!signalled_) return false;  // a test of the state: no clock, no sleep
  } else if (!changed_.wait_for(lock, std::chrono::milliseconds(milliseconds), ready)) {
    return false;
  }
  if (!manual_reset_) signalled_ = false;
  return true;
}

void ThreadObject::Run() {
  {
    std::unique_lock<std::mutex> lock(mutex_);
    resumed_.wait(lock, [this] { return suspend_count_ == 0; });
  }
  DWORD code = routine_();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    exit_code_ = code;
    finished_ = true;
  }
  Set();
}

DWORD ThreadObject::Resume() {
  std::lock_guard<std::mutex> lock(mutex_);
  DWORD before = suspend_count_;
  if (suspend_count_ > 0 && --suspend_count_ == 0) resumed_.notify_all();
  return before;
}

DWORD ThreadObject::ExitCode() {
  std::lock_guard<std::mutex> lock(mutex_);
  return finished_ ? exit_code_ : static_cast<DWORD>(STILL_ACTIVE);
}

}  // namespace tov::posix
