/// How often each platform operation was called on a machine, so a test can
/// check, for example, that an entry point was looked up only once.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <string_view>

namespace tov::machine {

/// Thread-safe count of calls per operation name.
class CallCounter {
 public:
  void Count(std::string_view operation);
  int Calls(std::string_view operation) const;

 private:
  mutable std::mutex mutex_;
  std::map<std::string, int, std::less<>> calls_;
};

}  // namespace tov::machine
