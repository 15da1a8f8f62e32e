// libFuzzer target over the whole reader: the input is written to a file
// (the storage calls open files by name) and read as `tovdump FILE` and as
// `tovdump --summary FILE` would, into string streams.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "tools/tovdump/tovdump_cli.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/tovdump_fuzz_" + std::to_string(getpid()) + ".tov";
  {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  for (const char* mode : {"--json", "--summary"}) {
    std::ostringstream out, err;
    tovdump::RunTovdump({mode, path}, out, err);
  }
  return 0;
}
