// tovdump: prints a report file as JSON or as a summary, or compares two.
#include <iostream>

#include "tools/tovdump/tovdump_cli.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  std::vector<std::string> args(argv + 1, argv + argc);
  return tovdump::RunTovdump(args, std::cout, std::cerr);
}
