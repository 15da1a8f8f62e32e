#include "platform/terminal/program_start.h"

#include <vector>

#include "platform/machine/current_machine.h"
#include "platform/machine/machine_selection.h"
#include "platform/posix/src/fault_injection.h"
#include "platform/posix/src/program_resources.h"
#include "platform/terminal/interrupt.h"

namespace tov::terminal {

namespace {

// The shell hands over UTF-8; the program's texts are in the machine's ANSI
// code page, where a character without a place becomes '?', as on the
// platform. An argument that is not UTF-8 is kept as it is.
std::string AnsiOfUtf8(const char* utf8) {
  int wide = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
  if (wide <= 0) return utf8;
  std::u16string utf16(static_cast<size_t>(wide), u'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8, -1, utf16.data(), wide);
  int n = WideCharToMultiByte(CP_ACP, 0, utf16.data(), -1, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return utf8;
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, utf16.data(), -1, out.data(), n, nullptr, nullptr);
  out.resize(static_cast<size_t>(n - 1));
  return out;
}

}  // namespace

void AddProgramFile(machine::Machine& machine) {
  machine.File(posix::ProgramFilePath()).VersionBlock(posix::ProgramVersionBlock());
}

bool StartProgram(int argc, char** argv, std::string* error) {
  if (!machine::InstallFromEnvironment(error)) {
    *error = "no machine to report on: " + *error;
    return false;
  }
  AddProgramFile(*machine::CurrentMachine());

  static std::vector<std::string> texts;
  static std::vector<char*> pointers;
  for (int i = 0; i < argc; ++i) texts.push_back(AnsiOfUtf8(argv[i]));
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  __argc = argc;
  __argv = pointers.data();

  InstallInterruptHandlers();
  // Last, so that the calls and allocations counted are the run's own.
  return posix::InstallFaultPlanFromEnvironment(error);
}

int FinalExitStatus(int status) {
  int signal = InterruptSignal();
  return signal != 0 ? 128 + signal : status;
}

}  // namespace tov::terminal
