// What a reader of report files needs of the platform: on Linux a machine
// model (events, code pages), on Windows nothing.
#pragma once

namespace tov::test {

/// Prepares the platform for loading records, for the rest of the process.
void PrepareReaderPlatform();

}  // namespace tov::test
