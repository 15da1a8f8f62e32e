// Reading real reports (written by the records' own store code) back to the
// same values, and the error model: missing streams, files that are not
// reports, bytes after a record, usage errors, long chains.
#include <gtest/gtest.h>

#include "eventlog/el_event.h"
#include "hostile_files.h"
#include "sample_report.h"
#include "test_files.h"
#include "tools/tovdump/report_reader.h"

namespace tovdump::test {
namespace {

TEST(ReaderTest, EveryStreamLoadsBackToTheBytesItWasWrittenFrom) {
  auto report = MakeSampleReport(40);
  std::vector<Stream> streams = StoreReport(*report);
  const std::string path = ScratchPath("roundtrip");
  ASSERT_TRUE(WriteCompoundFile(path, streams));

  ReaderHost host(CodePage::kWindows1252);
  ReportReader reader(host);
  std::string strError;
  ASSERT_TRUE(reader.Open(path, strError)) << strError;
  EXPECT_TRUE(reader.OtherElements().empty());
  for (size_t i = 0; i < streams.size(); ++i) {
    const StreamSpec& spec = ReportStreams()[i];
    ASSERT_EQ(spec.pszName, streams[i].first);
    LoadedStream loaded = reader.Load(spec);
    ASSERT_EQ(loaded.state, LoadedStream::kLoaded) << loaded.strProblem;
    EXPECT_EQ(loaded.strProblem, "");
    // Storing the loaded object again gives the same bytes only if every
    // value came back.
    EXPECT_EQ(StoreObject(*loaded.pObject), streams[i].second) << spec.pszName;
  }
}

TEST(ReaderTest, AMissingStreamIsNamedAndTheOthersAreStillPrinted) {
  auto report = MakeSampleReport();
  const std::vector<Stream> all = StoreReport(*report);
  for (size_t nMissing = 0; nMissing < all.size(); ++nMissing) {
    std::vector<Stream> streams = all;
    streams.erase(streams.begin() + static_cast<std::ptrdiff_t>(nMissing));
    const std::string path = ScratchPath("missing");
    ASSERT_TRUE(WriteCompoundFile(path, streams));
    RunResult r = RunCommand({path});
    const std::string name = all[nMissing].first;
    EXPECT_EQ(r.nStatus, 1) << name;
    EXPECT_NE(r.strErr.find("stream " + name + " is missing"), std::string::npos) << r.strErr;
    EXPECT_NE(r.strOut.find("\"" + name + "\": {\n      \"status\": \"missing\""), std::string::npos) << r.strOut;
    for (const Stream& other : streams) {
      EXPECT_NE(r.strOut.find("\"" + other.first + "\": {\n      \"status\": \"loaded\""), std::string::npos)
          << other.first << " beside missing " << name;
    }
  }
}

TEST(ReaderTest, FilesThatAreNoReportSaySo) {
  const std::string text = ScratchPath("text");
  WriteFileBytes(text, std::vector<BYTE>(600, 'x'));
  const struct {
    std::string path;
    const char* pszMessage;
  } cases[] = {
      {text, "not a compound file"},
      {ScratchPath("does_not_exist"), "cannot open the file"},
  };
  for (const auto& c : cases) {
    RunResult r = RunCommand({c.path});
    EXPECT_EQ(r.nStatus, 1);
    EXPECT_EQ(r.strErr, "tovdump: " + c.path + ": " + c.pszMessage + "\n");
    EXPECT_EQ(r.strOut, "");
  }
}

TEST(ReaderTest, BytesAfterARecordAreReportedButTheRecordIsPrinted) {
  auto report = MakeSampleReport();
  std::vector<Stream> streams = StoreReport(*report);
  const size_t nEnd = streams[1].second.size();
  streams[1].second.insert(streams[1].second.end(), {1, 2, 3});
  const std::string path = ScratchPath("trailing");
  ASSERT_TRUE(WriteCompoundFile(path, streams));
  RunResult r = RunCommand({"--stream", "Services", path});
  EXPECT_EQ(r.nStatus, 1);
  EXPECT_NE(r.strErr.find("stream Services, byte " + std::to_string(nEnd) + ": 3 bytes follow the record"),
            std::string::npos)
      << r.strErr;
  EXPECT_NE(r.strOut.find("\"service_name\": \"Norvan\""), std::string::npos);
}

TEST(ReaderTest, UsageErrorsExitWithTwo) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"a", "b"},
      {"--bogus", "a"},
      {"--stream", "NoSuch", "a"},
      {"--codepage", "437", "a"},
      {"--stream"},
      {"diff", "a"},
      {"diff", "--summary", "a", "b"},
  };
  for (const auto& args : cases) {
    RunResult r = RunCommand(args);
    EXPECT_EQ(r.nStatus, 2);
    EXPECT_NE(r.strErr.find("usage: tovdump"), std::string::npos);
    EXPECT_EQ(r.strOut, "");
  }
}

TEST(ReaderTest, LongEventChainsReadWithoutDeepRecursion) {
  const StreamSpec& log = *FindReportStream("EvLog_System");
  LoadedStream loaded = ReportReader::LoadBytes(log, EventChainStream(20000));
  ASSERT_EQ(loaded.state, LoadedStream::kLoaded) << loaded.strProblem;
  EXPECT_EQ(loaded.strProblem, "");
  size_t n = 0;
  for (CElEvent* p = static_cast<CElEventLog&>(*loaded.pObject).m_pFirst; p != nullptr; p = p->m_pNext) ++n;
  EXPECT_EQ(n, 20000u);

  // Far longer chains either read or fail with a message; they never crash.
  LoadedStream huge = ReportReader::LoadBytes(log, EventChainStream(400000));
  EXPECT_TRUE(huge.state == LoadedStream::kLoaded ? huge.strProblem.empty() : !huge.strProblem.empty());
}

}  // namespace
}  // namespace tovdump::test
