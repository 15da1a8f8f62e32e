// What the program's windows need of the platform in a test. On Linux: a
// machine model (events and threads are its handles) that holds the test
// program's file with the program's version resource. On Windows: nothing
// beyond the program's resources, linked into the test program.
#pragma once

#include <memory>

namespace tov::test {

class ProgramPlatform {
 public:
  ProgramPlatform();
  ~ProgramPlatform();
  ProgramPlatform(const ProgramPlatform&) = delete;
  ProgramPlatform& operator=(const ProgramPlatform&) = delete;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace tov::test
