// Writes the sample compound file named on the command line, for readers
// outside this program (the olefile check) to open.
#include <cstdio>
#include <string>

#include "storage_sample.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: write_sample_storage FILE\n");
    return 2;
  }
  std::string name = argv[1];
  HRESULT hr = tov::test::WriteSample(std::u16string(name.begin(), name.end()));
  if (FAILED(hr)) {
    std::fprintf(stderr, "writing %s failed: 0x%08lx\n", argv[1], static_cast<unsigned long>(hr));
    return 1;
  }
  return 0;
}
