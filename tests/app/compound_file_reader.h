// Reads back a report file through the platform's structured storage:
// libgsf's reader on Linux, ole32 on Windows.
#pragma once

#include <string>
#include <vector>

#include "win32_api.h"

namespace tov::test {

struct StoredStream {
  std::string name;
  std::vector<BYTE> bytes;
};

/// The streams directly below the root of the compound file at `path` (an
/// ASCII name), in the order the storage lists them. False when the file
/// cannot be opened as a compound file.
bool ReadCompoundFile(const std::string& path, std::vector<StoredStream>& streams);

/// The stream of that name, or null.
const StoredStream* FindStream(const std::vector<StoredStream>& streams, const std::string& name);

}  // namespace tov::test
