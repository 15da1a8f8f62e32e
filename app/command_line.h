/// The command-line grammar of the program, as pure functions: no platform,
/// no message; ParseOptions (run_settings.h) applies them to the process.
#pragma once

#include <string>

#include "win32_api.h"

/// Option flags of the run settings; each option ORs its value in.
constexpr DWORD SKIP_DEVMAN = 0x01;          // /sdm: stage 0
constexpr DWORD SKIP_SERVICES = 0x02;        // /ssr: stage 1
constexpr DWORD SKIP_EVLOG_SYSTEM = 0x04;    // /sse: stage 2
constexpr DWORD SKIP_EVLOG_NORVAN = 0x08;    // /see: stage 3, and stage 4 through its mask
constexpr DWORD SKIP_DEVMAN_DETAILS = 0x10;  // /sdd: stage 5
constexpr DWORD DETAILS_OWN_THREAD = 0x20;   // no option: stage 5 on a thread of its own
constexpr DWORD SKIP_EVLOG_SECURITY = 0x48;  // /sce: includes 0x08, so stages 3 and 4

/// What a command line asks for.
struct CommandLine {
  std::string strReportFile;  // as given; empty when none
  DWORD dwParentWindow = 0;   // the /hwnd value; 0 when none was accepted
  DWORD dwOptions = 0;
};

/// Reads the arguments after the program's name (argv[0]). False when the
/// line is to be answered with the usage message: no file name, a second file
/// name (later arguments are not looked at), or a file name of MAX_PATH or
/// more characters, which the run settings cannot hold.
bool ParseCommandLine(int argc, const char* const* argv, CommandLine& line);

/// The /hwnd value: hexadecimal as the C library's 32-bit strtoul reads it in
/// base 16 (leading white space, a sign, a "0x" prefix), accepted only when it
/// is all digits after that, is not 0 and is not 0xFFFFFFFF (what an overflow
/// gives). 0 when it is not accepted.
DWORD ParseWindowHandle(const char* value);
