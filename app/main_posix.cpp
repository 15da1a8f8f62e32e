// The entry point of the Linux program: it reports on the machine that
// TOV_MACHINE describes, or on the Linux host it runs on, and ends with a
// message when the machine cannot be loaded.
#include <cstdio>
#include <string>

#include "app/collect_app.h"
#include "platform/terminal/program_start.h"

int main(int argc, char** argv) {
  std::string error;
  if (!tov::terminal::StartProgram(argc, argv, &error)) {
    std::fprintf(stderr, "tov: %s\n", error.c_str());
    return kExitNoReport;
  }
  return tov::terminal::FinalExitStatus(AfxWinMain());
}
