/// Work of the live source that runs beside other work: reading files mostly
/// waits on the file system, and the domains read different files.
#pragma once

#include <future>
#include <system_error>
#include <utility>

namespace tov::machine::live {

/// Starts `work` on a thread of its own; where no thread can be made, it
/// runs when its result is asked for.
template <class Work>
auto StartBeside(Work work) -> std::future<decltype(work())> {
  try {
    return std::async(std::launch::async, work);
  } catch (const std::system_error&) {
    return std::async(std::launch::deferred, std::move(work));
  }
}

}  // namespace tov::machine::live
