// Crafted hostile files: lying streams fail with the archive's message, the
// stream's name and a byte offset; damaged compound files are refused before
// any storage library reads them; cut-off files never crash the reader.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#endif

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

#ifndef _WIN32
// Sends what the process writes to file descriptor 2 (where GLib's log goes)
// to a file, until Finish gives it back.
class StderrCapture {
 public:
  StderrCapture() : m_strPath(ScratchPath("stderr")) {
    std::fflush(stderr);
    m_nSaved = dup(2);
    int fd = open(m_strPath.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0644);
    dup2(fd, 2);
    close(fd);
  }
  ~StderrCapture() { Restore(); }
  StderrCapture(const StderrCapture&) = delete;
  StderrCapture& operator=(const StderrCapture&) = delete;

  std::string Finish() {
    Restore();
    std::vector<BYTE> bytes = ReadFileBytes(m_strPath);
    return std::string(bytes.begin(), bytes.end());
  }

 private:
  void Restore() {
    if (m_nSaved < 0) return;
    std::fflush(stderr);
    dup2(m_nSaved, 2);
    close(m_nSaved);
    m_nSaved = -1;
  }
  std::string m_strPath;
  int m_nSaved;
};

// libgsf checks things in a compound file that the reader's own check does
// not, and says so in GLib's log. None of it reaches stderr: a file that
// loads whole is read without a message, and a failure keeps its one
// message, which carries what libgsf said.
TEST_F(DamagedContainerTest, WhatTheStorageLibrarySaysStaysInTheReadersMessages) {
  auto report = MakeSampleReport();
  std::vector<Stream> streams = StoreReport(*report);
  const std::string clean = ScratchPath("stray_mini_entry");
  ASSERT_TRUE(WriteCompoundFile(clean, streams));
  const std::vector<HostileStream> lies = HostileStreams();
  const HostileStream& lie = lies.front();
  for (Stream& s : streams) {
    if (s.first == lie.pszStream) s.second = lie.bytes;
  }
  const std::string lying = ScratchPath("stray_mini_entry_lying");
  ASSERT_TRUE(WriteCompoundFile(lying, streams));
  for (const std::string& path : {clean, lying}) {
    const std::vector<BYTE> file = StrayMiniTableEntry(ReadFileBytes(path));
    ASSERT_EQ(CheckCompoundFile(file).verdict, CfbCheckResult::kOk);
    WriteFileBytes(path, file);
  }

  StderrCapture capture;
  RunResult whole = RunCommand({"--summary", clean});
  RunResult failed = RunCommand({"--summary", lying});
  EXPECT_EQ(capture.Finish(), "");
  EXPECT_EQ(whole.nStatus, 0);
  EXPECT_EQ(whole.strErr, "");
  EXPECT_EQ(failed.nStatus, 1);
  const std::string prefix = "tovdump: " + lying + ": stream " + lie.pszStream + ", byte ";
  EXPECT_EQ(failed.strErr.rfind(prefix, 0), 0u) << failed.strErr;
  EXPECT_EQ(failed.strErr.find('\n'), failed.strErr.size() - 1) << "one line: " << failed.strErr;
  EXPECT_NE(failed.strErr.find("(libgsf"), std::string::npos) << failed.strErr;
}
#endif

}  // namespace
}  // namespace tovdump::test
