/// Runs a function on a thread of its own with a given stack size, so a test
/// can show that deep object graphs need no more than that.
#pragma once

#include <cstddef>
#include <functional>

/// Runs fn on a new thread with an nStackBytes stack and waits for it; an
/// exception that fn raises is raised again on the calling thread.
void RunWithStack(size_t nStackBytes, const std::function<void()>& fn);
