// Files the reader's tests write: a scratch directory per test program, and
// tovdump run on a file with its output and status collected.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "tools/tovdump/tovdump_cli.h"

namespace tovdump::test {

/// A path for a scratch file called strName in the current directory.
inline std::string ScratchPath(const std::string& strName) { return "tovdump_test_" + strName + ".tov"; }

struct RunResult {
  int nStatus;
  std::string strOut;
  std::string strErr;
};

inline RunResult RunCommand(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  int nStatus = RunTovdump(args, out, err);
  return {nStatus, out.str(), err.str()};
}

}  // namespace tovdump::test
