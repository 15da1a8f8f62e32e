/// What must hold after ParseOptions for any argument vector, checked the
/// same way by the generated table of command lines and by the libFuzzer
/// target. Linux only: the usage message is read back from standard error.
#pragma once

#include <string>
#include <vector>

#include "win32_api.h"

namespace tov::test {

/// The run settings after one ParseOptions call.
struct ParsedOptions {
  BOOL bResult = FALSE;
  std::string strReportFile;
  ULONG_PTR hwndParent = 0;
  DWORD dwOptions = 0;
  bool bUsageShown = false;
};

/// Runs ParseOptions over `args` (the arguments after the program's name) as
/// the process's argument vector, twice, with standard error caught, and
/// checks: the file name ends within its buffer; a rejected line leaves the
/// settings cleared and shows the usage message, an accepted one shows none
/// and names a file; the file name is one of the arguments and never starts
/// with '/' or '-'; the flags are those of the skip options named (so never
/// DETAILS_OWN_THREAD); a window handle comes only from a /hwnd option and is
/// never 0xFFFFFFFF; the argument vector is left as it was; the second call
/// gives the same settings. Returns the first violation, or the empty text.
std::string CheckParseOptions(const std::vector<std::string>& args, ParsedOptions* pParsed = nullptr);

}  // namespace tov::test
