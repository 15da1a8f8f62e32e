// A sample compound file: the stream names and contents the storage tests
// write and expect to read back, in every reader.
#pragma once

#include <string>
#include <vector>

#include "win32_api.h"

namespace tov::test {

struct SampleStream {
  std::u16string name;
  std::string bytes;
};

/// Five streams in creation order: empty, small, exactly 4096 bytes (the
/// boundary between short and regular sectors), larger, and one with every
/// byte value.
std::vector<SampleStream> SampleStreams();

/// Writes the sample into a new compound file `path`; the HRESULT of the
/// first failing call, else S_OK.
HRESULT WriteSample(const std::u16string& path);

}  // namespace tov::test
