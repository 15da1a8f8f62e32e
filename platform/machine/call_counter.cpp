#include "platform/machine/call_counter.h"

#include <new>

namespace tov::machine {

void CallCounter::Count(std::string_view operation) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = calls_.find(operation);
  if (it == calls_.end()) {
    try {
      it = calls_.emplace(std::string(operation), 0).first;
    } catch (const std::bad_alloc&) {
      // The call goes on uncounted: operations that release a resource are
      // called from destructors, where nothing may be thrown.
      return;
    }
  }
  ++it->second;
}

int CallCounter::Calls(std::string_view operation) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = calls_.find(operation);
  return it == calls_.end() ? 0 : it->second;
}

}  // namespace tov::machine
