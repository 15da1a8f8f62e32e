/// Watches the program's allocations, so a test can show that a hostile
/// length is refused before any memory is asked for.
#pragma once

#include <cstddef>

/// While one exists, records the largest single allocation made through
/// operator new (which this test program replaces).
class AllocationProbe {
 public:
  AllocationProbe();
  ~AllocationProbe();
  AllocationProbe(const AllocationProbe&) = delete;
  AllocationProbe& operator=(const AllocationProbe&) = delete;

  /// The largest size requested since construction.
  size_t Largest() const;
};
