// Using an archive against its direction, and the messages of archive errors.
#include <gtest/gtest.h>

#include "report/archive_time.h"
#include "report/mem_file.h"
#include "tests/report/archive_test_support.h"
#include "tests/report/test_records.h"

namespace {

struct MisuseCase {
  const char* name;
  std::function<void(CArchive&)> use;
};

const MisuseCase kWrites[] = {
    {"value", [](CArchive& ar) { ar << DWORD{1}; }},
    {"byte", [](CArchive& ar) { ar << BYTE{1}; }},
    {"raw", [](CArchive& ar) { ar.Write("abc", 3); }},
    {"string", [](CArchive& ar) { ar << std::string("abc"); }},
    {"time", [](CArchive& ar) { ar << CTime(5); }},
    {"null object", [](CArchive& ar) { ar.WriteObject(nullptr); }},
    {"tail object", [](CArchive& ar) { ar.WriteTailObject(nullptr); }},
};

const MisuseCase kReads[] = {
    {"value", [](CArchive& ar) { DWORD dw; ar >> dw; }},
    {"raw", [](CArchive& ar) { char sz[3]; ar.Read(sz, 3); }},
    {"string", [](CArchive& ar) { std::string str; ar >> str; }},
    {"time span", [](CArchive& ar) { CTimeSpan span; ar >> span; }},
    {"object", [](CArchive& ar) { ar.ReadObject(nullptr); }},
    {"tail object", [](CArchive& ar) { TLink* p; ar.ReadTailObject(p); }},
    {"available", [](CArchive& ar) { ar.EnsureAvailable(1); }},
};

TEST(ArchiveMisuse, WritingIntoALoadingArchiveIsCause2) {
  for (const MisuseCase& c : kWrites) {
    // Data are present, so only the direction can make it fail.
    CMemFile file(Bytes(64, 0));
    CArchive ar(&file, CArchive::load);
    EXPECT_EQ(ArchiveErrorCause([&] { c.use(ar); }), CArchiveException::readOnly) << c.name;
  }
}

TEST(ArchiveMisuse, ReadingFromAStoringArchiveIsCause4) {
  for (const MisuseCase& c : kReads) {
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    ar << DWORD{7} << std::string("buffered bytes are not readable");
    EXPECT_EQ(ArchiveErrorCause([&] { c.use(ar); }), CArchiveException::writeOnly) << c.name;
  }
}

TEST(ArchiveErrorMessage, NamesTheCauseAndTheFile) {
  const char* const kExpected[] = {
      "No error occurred.",
      "An unknown error occurred while accessing EvLog_System.",
      "Attempted to write to the reading EvLog_System.",
      "Attempted to access EvLog_System past its end.",
      "Attempted to read from the writing EvLog_System.",
      "EvLog_System has a bad format.",
      "EvLog_System contained an unexpected object.",
      "EvLog_System contains an incorrect schema.",
  };
  for (int cause = 0; cause < 8; ++cause) {
    CArchiveException e(cause, "EvLog_System");
    EXPECT_EQ(e.GetErrorMessage(), kExpected[cause]) << cause;
    EXPECT_STREQ(e.what(), kExpected[cause]);
  }
  EXPECT_EQ(CArchiveException(42, "DevMan").GetErrorMessage(),
            "An unknown error occurred while accessing DevMan.");
  EXPECT_EQ(CFileException(112, "Services").GetErrorMessage(),
            "An unknown error occurred while accessing Services.");
}

}  // namespace
