// Writes a sample report: `write_sample_report FILE [DEVICES]`. Seeds the
// fuzzer's corpus and gives the benchmark its large report.
#include <cstdio>
#include <cstdlib>

#include "sample_report.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: write_sample_report FILE [DEVICES]\n");
    return 2;
  }
  size_t nDevices = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 4;
  auto report = tovdump::test::MakeSampleReport(nDevices);
  if (!tovdump::test::WriteCompoundFile(argv[1], tovdump::test::StoreReport(*report))) {
    std::fprintf(stderr, "write_sample_report: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
