#include "tests/app/e2e/reader_platform.h"

namespace tov::test {

void PrepareReaderPlatform() {}

}  // namespace tov::test
