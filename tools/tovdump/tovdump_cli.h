/// The tovdump command: arguments in, report text out, exit status back.
/// main() calls it with the process's streams; tests and the fuzzer call it
/// with string streams.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tovdump {

/// Exit statuses.
enum ExitStatus { kExitOk = 0, kExitLoadFailure = 1, kExitUsage = 2 };

/// Runs tovdump with args (without the program name). Problems go to err,
/// one line each, prefixed "tovdump: ".
int RunTovdump(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace tovdump
