// libFuzzer target over ParseOptions: the input, cut at its NUL bytes, is
// the argument vector after the program's name. AddressSanitizer guards the
// run settings' buffers; CheckParseOptions checks what must hold for any line
// (command_line_properties.h), and any violation ends the run as a finding.
#include <sanitizer/common_interface_defs.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/app/command_line_properties.h"

namespace {
// Standard error is caught around each call to see the usage message; the
// sanitizers' reports and the findings go to a copy of it made at start.
int g_report_fd = STDERR_FILENO;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  g_report_fd = dup(STDERR_FILENO);
  __sanitizer_set_report_fd(reinterpret_cast<void*>(static_cast<intptr_t>(g_report_fd)));
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A line of more arguments than this says nothing new.
  constexpr size_t kMaxArguments = 64;
  std::vector<std::string> args;
  if (size > 0) args.emplace_back();
  for (size_t i = 0; i < size; ++i) {
    if (data[i] != 0) {
      args.back() += static_cast<char>(data[i]);
    } else if (args.size() < kMaxArguments) {
      args.emplace_back();
    }
  }
  std::string violation = tov::test::CheckParseOptions(args);
  if (!violation.empty()) {
    dprintf(g_report_fd, "ParseOptions: %s\n", violation.c_str());
    std::abort();
  }
  return 0;
}
