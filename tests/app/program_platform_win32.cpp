#include "tests/app/program_platform.h"

namespace tov::test {

struct ProgramPlatform::State {};

ProgramPlatform::ProgramPlatform() = default;
ProgramPlatform::~ProgramPlatform() = default;

}  // namespace tov::test
