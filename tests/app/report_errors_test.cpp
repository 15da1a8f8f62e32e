// What stops a stream: an archive error, a stream that refuses bytes (a full
// disk), memory running out, a stream that cannot be made. Each is reported
// once, naming the stream, and the next stream is still written. Linux only:
// the message boxes are the terminal's lines on stderr.
#include <algorithm>
#include <new>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/posix/src/fault_injection.h"
#include "report/exceptions.h"
#include "report/report.h"
#include "tests/app/compound_file_reader.h"
#include "tests/app/fake_storage.h"
#include "tests/app/program_platform.h"

namespace tov::test {
namespace {

// A record of `bytes` bytes, after which it may fail as `fail` says.
class Record : public CObject {
 public:
  enum Failure { kNone, kArchive, kMemory };
  Record(size_t bytes, Failure fail) : bytes_(bytes), fail_(fail) {}
  void Serialize(CArchive& ar) override {
    for (size_t i = 0; i < bytes_; ++i) ar << static_cast<BYTE>(i);
    if (fail_ == kArchive) throw CArchiveException(CArchiveException::badIndex);
    if (fail_ == kMemory) throw std::bad_alloc();
  }

 private:
  size_t bytes_;
  Failure fail_;
};

std::basic_string<WCHAR> Name(const char* text) {
  std::basic_string<WCHAR> out;
  for (; *text; ++text) out.push_back(static_cast<WCHAR>(*text));
  return out;
}

class StreamErrors : public ::testing::Test {
 protected:
  ProgramPlatform platform_;
};

TEST_F(StreamErrors, AnErrorInOneStreamLeavesTheOthersWritten) {
  const char* path = "tov-stream-errors.dat";
  std::vector<DWORD> results;
  std::string messages;
  {
    CReport report;
    IStorage* storage = nullptr;
    ASSERT_EQ(StgCreateStorageEx(Name(path).c_str(), STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_READWRITE,
                                 STGFMT_STORAGE, 0, nullptr, nullptr, IID_IStorage,
                                 reinterpret_cast<void**>(&storage)),
              S_OK);
    report.m_pStorage.reset(storage);
    Record first(10, Record::kNone), broken(5000, Record::kArchive), hungry(10, Record::kMemory),
        last(20, Record::kNone);
    ::testing::internal::CaptureStderr();
    results.push_back(report.WriteStream(&first, Name("First").c_str()));
    results.push_back(report.WriteStream(&broken, Name("Broken").c_str()));
    results.push_back(report.WriteStream(&hungry, Name("Hungry").c_str()));
    results.push_back(report.WriteStream(&last, Name("Last").c_str()));
    messages = ::testing::internal::GetCapturedStderr();
  }
  EXPECT_EQ(results, (std::vector<DWORD>{1, 0, 0, 1}));
  EXPECT_EQ(messages,
            "Broken has a bad format.\n"
            "An unknown error occurred while accessing Hungry.\n");
  std::vector<StoredStream> streams;
  ASSERT_TRUE(ReadCompoundFile(path, streams));
  ASSERT_EQ(streams.size(), 4u);
  EXPECT_EQ(FindStream(streams, "First")->bytes.size(), 10u);
  // What the archive had flushed (one full buffer) stays; the rest is dropped.
  EXPECT_EQ(FindStream(streams, "Broken")->bytes.size(), 4096u);
  EXPECT_EQ(FindStream(streams, "Hungry")->bytes.size(), 0u);
  EXPECT_EQ(FindStream(streams, "Last")->bytes.size(), 20u);
  std::remove(path);
}

TEST_F(StreamErrors, AFullDiskEndsThatStreamOnly) {
  FakeStorage storage(/*stream_room=*/4096);
  CReport report;
  report.m_pStorage.reset(storage.Share());
  Record big(10000, Record::kNone), small(100, Record::kNone);
  ::testing::internal::CaptureStderr();
  DWORD big_result = report.WriteStream(&big, Name("DevMan").c_str());
  DWORD small_result = report.WriteStream(&small, Name("Services").c_str());
  std::string messages = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(big_result, 0u);
  EXPECT_EQ(small_result, 1u);
  EXPECT_EQ(messages, "An unknown error occurred while accessing DevMan.\n");
  EXPECT_EQ(storage.Created(), (std::vector<std::string>{"DevMan", "Services"}));
  EXPECT_EQ(storage.OpenStreams(), 0);  // each stream was released, the failed one too
}

TEST_F(StreamErrors, AStreamThatCannotBeMadeIsLeftOutSilently) {
  FakeStorage storage(/*stream_room=*/100000, /*refuse=*/"Services");
  CReport report;
  report.m_pStorage.reset(storage.Share());
  Record record(10, Record::kNone);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(report.WriteStream(&record, Name("Services").c_str()), 0u);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

// A stream that cannot be made or written whole costs that stream only: the
// file keeps every other stream, and the first failure is kept so that the
// run does not end as a success.
TEST_F(StreamErrors, AReportWithoutAllItsStreamsKeepsTheOthers) {
  struct Case {
    posix::FaultPlan fault;
    DWORD result;
    std::vector<std::string> streams;  // the streams the file holds, in directory order
    const char* messages;
  };
  const std::vector<std::string> all = {"DevMan", "EvLog_Norvan", "EvLog_Security", "EvLog_System",
                                        "Services"};
  const Case cases[] = {
      {{"IStorage::CreateStream", 2, false}, 1,
       {"DevMan", "EvLog_Norvan", "EvLog_Security", "EvLog_System"},
       "tov: injected fault: IStorage::CreateStream fails at call 2\n"},
      {{"IStorage::CreateStream", 1, true}, 0, {},
       "tov: injected fault: IStorage::CreateStream fails at call 1 and after\n"},
      {{"IStream::Write", 1, false}, 1, all,
       "tov: injected fault: IStream::Write fails at call 1\n"
       "An unknown error occurred while accessing DevMan.\n"},
      {{"IStream::Write", 5, false}, 1, all,
       "tov: injected fault: IStream::Write fails at call 5\n"
       "An unknown error occurred while accessing EvLog_Security.\n"},
  };
  const char* path = "tov-incomplete-report.dat";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fault.operation + ":" + std::to_string(c.fault.nth));
    std::string messages;
    {
      CReport report;
      posix::InstallFaultPlan(c.fault);
      ::testing::internal::CaptureStderr();
      EXPECT_EQ(report.WriteReport(path), c.result);
      messages = ::testing::internal::GetCapturedStderr();
      posix::ClearFaultPlan();
      EXPECT_EQ(report.m_hrCreate, STG_E_MEDIUMFULL);
      EXPECT_TRUE(report.m_pStorage) << "the file was created and stays";
    }
    EXPECT_EQ(messages, c.messages);
    std::vector<StoredStream> streams;
    ASSERT_TRUE(ReadCompoundFile(path, streams));
    std::vector<std::string> names;
    for (const StoredStream& stream : streams) names.push_back(stream.name);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, c.streams);
    std::remove(path);
  }
}

TEST_F(StreamErrors, NoFileNoStream) {
  CReport report;
  Record record(10, Record::kNone);
  EXPECT_EQ(report.WriteStream(&record, Name("DevMan").c_str()), 0u);
}

}  // namespace
}  // namespace tov::test
