// The report file: its five streams with the records of empty objects, and
// where the file goes. The same tests run over libgsf and over ole32 (Wine).
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "report/report.h"
#include "tests/app/compound_file_reader.h"
#include "tests/app/program_platform.h"

namespace tov::test {
namespace {

namespace fs = std::filesystem;

std::vector<BYTE> EmptyLog(const std::string& name) {
  // No server name, the log's name, then capture time, filter, start time,
  // window, most events and count all zero, and no first or last event.
  std::vector<BYTE> bytes(2 + name.size() + (8 + 4 + 8 + 8 + 4 + 4) + 4, 0x00);
  bytes[1] = static_cast<BYTE>(name.size());
  std::copy(name.begin(), name.end(), bytes.begin() + 2);
  return bytes;
}

class ReportFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           (std::string("tov-report-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    previous_ = fs::current_path();
    fs::current_path(dir_);
  }
  void TearDown() override {
    fs::current_path(previous_);
    fs::remove_all(dir_);
  }

  // Writes an empty report to `name`; the file is complete once the
  // container is gone.
  DWORD WriteEmptyReport(const char* name, HRESULT* create = nullptr) {
    CReport report;
    DWORD result = report.WriteReport(name);
    if (create != nullptr) *create = report.m_hrCreate;
    return result;
  }

  ProgramPlatform platform_;
  fs::path dir_;
  fs::path previous_;
};

TEST_F(ReportFile, AllStagesSkippedGivesTheFiveEmptyRecords) {
  ASSERT_EQ(WriteEmptyReport("report.dat"), 1u);
  std::vector<StoredStream> streams;
  ASSERT_TRUE(ReadCompoundFile("report.dat", streams));
  std::vector<std::string> names;
  for (const StoredStream& s : streams) names.push_back(s.name);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"DevMan", "EvLog_Norvan", "EvLog_Security",
                                             "EvLog_System", "Services"}));
  const struct {
    const char* name;
    std::vector<BYTE> bytes;
  } expected[] = {
      // Version word, global state, no root, no system record.
      {"DevMan", {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},
      // Machine and database names, reserved word, count, no first, no last.
      {"Services", {0x00, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x00, 0x00, 0x00}},
      {"EvLog_System", EmptyLog("System")},
      {"EvLog_Norvan", EmptyLog("Norvan")},
      {"EvLog_Security", EmptyLog("Security")},
  };
  for (const auto& e : expected) {
    const StoredStream* stream = FindStream(streams, e.name);
    ASSERT_NE(stream, nullptr) << e.name;
    EXPECT_EQ(stream->bytes, e.bytes) << e.name;
  }
}

TEST_F(ReportFile, MissingFolderWritesNothing) {
  HRESULT create = S_OK;
  EXPECT_EQ(WriteEmptyReport("no-such-folder/report.dat", &create), 0u);
  EXPECT_TRUE(FAILED(create));
  EXPECT_FALSE(fs::exists("no-such-folder"));
  EXPECT_TRUE(fs::is_empty(dir_));
}

TEST_F(ReportFile, ExistingFileIsReplaced) {
  {
    std::ofstream old("report.dat", std::ios::binary);
    old << std::string(100000, 'x');
  }
  ASSERT_EQ(WriteEmptyReport("report.dat"), 1u);
  std::vector<StoredStream> streams;
  ASSERT_TRUE(ReadCompoundFile("report.dat", streams));
  EXPECT_EQ(streams.size(), 5u);
  EXPECT_LT(fs::file_size("report.dat"), 100000u);
}

TEST_F(ReportFile, RelativeNameIsBelowTheCurrentFolder) {
  fs::create_directory("sub");
  ASSERT_EQ(WriteEmptyReport("sub/../sub/report.dat"), 1u);
  std::vector<StoredStream> streams;
  EXPECT_TRUE(ReadCompoundFile((dir_ / "sub" / "report.dat").string(), streams));
  EXPECT_EQ(streams.size(), 5u);
}

}  // namespace
}  // namespace tov::test
