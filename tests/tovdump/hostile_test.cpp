// Crafted hostile files: lying streams fail with the archive's message, the
// stream's name and a byte offset; damaged compound files are refused before
// any storage library reads them; cut-off files never crash the reader.
#include <gtest/gtest.h>

#include "hostile_files.h"
#include "sample_report.h"
#include "test_files.h"
#include "tools/tovdump/cfb_check.h"
#include "tools/tovdump/report_reader.h"

namespace tovdump::test {
namespace {

std::string CauseText(const HostileStream& c) {
  std::string text = c.pszCause;
  text.replace(text.find("%1"), 2, c.pszStream);
  return text;
}

TEST(HostileTest, LyingStreamsFailWithTheirCauseAndOffset) {
  for (const HostileStream& c : HostileStreams()) {
    LoadedStream loaded = ReportReader::LoadBytes(*FindReportStream(c.pszStream), c.bytes);
    EXPECT_EQ(loaded.state, LoadedStream::kFailed) << c.pszCase;
    EXPECT_FALSE(loaded.pObject) << c.pszCase;
    const std::string prefix = std::string("stream ") + c.pszStream + ", byte ";
    EXPECT_EQ(loaded.strProblem.rfind(prefix, 0), 0u) << c.pszCase << ": " << loaded.strProblem;
    EXPECT_NE(loaded.strProblem.find(": " + CauseText(c)), std::string::npos)
        << c.pszCase << ": " << loaded.strProblem;
  }
}

TEST(HostileTest, ALyingStreamInAFileLeavesTheOtherStreamsPrinted) {
  auto report = MakeSampleReport();
  const std::vector<Stream> valid = StoreReport(*report);
  for (const HostileStream& c : HostileStreams()) {
    std::vector<Stream> streams = valid;
    for (Stream& s : streams) {
      if (s.first == c.pszStream) s.second = c.bytes;
    }
    const std::string path = ScratchPath("lying");
    ASSERT_TRUE(WriteCompoundFile(path, streams));
    RunResult r = RunCommand({path});
    EXPECT_EQ(r.nStatus, 1) << c.pszCase;
    EXPECT_NE(r.strErr.find(CauseText(c)), std::string::npos) << c.pszCase << ": " << r.strErr;
    EXPECT_NE(r.strOut.find("\"status\": \"failed\""), std::string::npos) << c.pszCase;
    size_t nLoaded = 0;
    for (size_t at = 0; (at = r.strOut.find("\"status\": \"loaded\"", at)) != std::string::npos; ++at) ++nLoaded;
    EXPECT_EQ(nLoaded, 4u) << c.pszCase;
  }
}

class DamagedContainerTest : public ::testing::Test {
 protected:
  static std::vector<BYTE> ValidFile() {
    // Large enough that DevMan lies in regular sectors and the allocation
    // table needs more sectors than the header and one index sector list.
    auto report = MakeSampleReport(500);
    const std::string path = ScratchPath("valid");
    EXPECT_TRUE(WriteCompoundFile(path, StoreReport(*report)));
    return ReadFileBytes(path);
  }
};

TEST_F(DamagedContainerTest, EveryDamageIsFoundAndReported) {
  const std::vector<BYTE> valid = ValidFile();
  ASSERT_GT(valid.size(), 240u * 512);
  EXPECT_EQ(CheckCompoundFile(valid).verdict, CfbCheckResult::kOk) << CheckCompoundFile(valid).strProblem;
  for (const HostileContainer& c : HostileContainers(valid)) {
    CfbCheckResult check = CheckCompoundFile(c.file);
    EXPECT_EQ(check.verdict, CfbCheckResult::kDamaged) << c.strCase;
    const std::string path = ScratchPath("damaged");
    WriteFileBytes(path, c.file);
    RunResult r = RunCommand({path});
    EXPECT_EQ(r.nStatus, 1) << c.strCase;
    EXPECT_EQ(r.strErr, "tovdump: " + path + ": damaged compound file: " + check.strProblem + "\n") << c.strCase;
  }
}

TEST_F(DamagedContainerTest, CutOffFilesFailCleanly) {
  const std::vector<BYTE> valid = ValidFile();
  const std::string path = ScratchPath("cut");
  for (size_t nSize = 0; nSize < valid.size(); nSize += 997) {
    WriteFileBytes(path, std::vector<BYTE>(valid.begin(), valid.begin() + static_cast<std::ptrdiff_t>(nSize)));
    RunResult r = RunCommand({"--summary", path});
    // Only the last sectors can be free ones whose loss changes nothing.
    if (nSize < valid.size() - 4096) {
      EXPECT_EQ(r.nStatus, 1) << nSize;
    }
    EXPECT_EQ(r.nStatus == 1, !r.strErr.empty()) << nSize;
  }
}

}  // namespace
}  // namespace tovdump::test
