// Values, raw blocks, times and the buffer: exact bytes, every buffer size,
// the end of the data, and the end of an archive's life.
#include <gtest/gtest.h>

#include "report/archive_time.h"
#include "report/mem_file.h"
#include "tests/report/archive_test_support.h"

namespace {

// One of every value width, a block longer than small buffers, and strings,
// so that values straddle the buffer end at every small buffer size.
struct Mix {
  BYTE b = 0;
  WORD w = 0;
  DWORD dw = 0;
  LONG l = 0;
  int32_t i = 0;
  LONGLONG ll = 0;
  CTime time;
  CTimeSpan span;
  BYTE block[28] = {};
  std::string str;
};

Mix SampleMix() {
  Mix m;
  m.b = 0xAB;
  m.w = 0x1234;
  m.dw = 0x89ABCDEF;
  m.l = -2;
  m.i = 0x01020304;
  m.ll = 0x0102030405060708;
  m.time = CTime(1700000000);
  m.span = CTimeSpan(-864000);
  for (int k = 0; k < 28; ++k) m.block[k] = static_cast<BYTE>(0xC0 + k);
  m.str = "abcdefghijklmnopqrstuvwxyz";
  return m;
}

void StoreMix(CArchive& ar, const Mix& m) {
  ar << m.b << m.w << m.dw << m.l << m.i << m.ll << m.time << m.span;
  ar.Write(m.block, sizeof m.block);
  ar << m.str;
}

void LoadMix(CArchive& ar, Mix& m) {
  ar >> m.b >> m.w >> m.dw >> m.l >> m.i >> m.ll >> m.time >> m.span;
  ar.Read(m.block, sizeof m.block);
  ar >> m.str;
}

Bytes MixBytes() {
  Bytes block;
  for (int k = 0; k < 28; ++k) block.push_back(static_cast<BYTE>(0xC0 + k));
  return Cat({{0xAB}, U16(0x1234), U32(0x89ABCDEF), U32(0xFFFFFFFE), U32(0x01020304),
              U32(0x05060708), U32(0x01020304),                       // 64-bit value
              U32(1700000000), U32(0),                                // CTime
              U32(static_cast<DWORD>(-864000)), U32(0xFFFFFFFF),      // CTimeSpan
              block, {26}, Text("abcdefghijklmnopqrstuvwxyz")});
}

class ArchiveBufferSize : public testing::TestWithParam<UINT> {};

TEST_P(ArchiveBufferSize, ValuesHaveExactBytesAndComeBack) {
  const Mix in = SampleMix();
  Bytes bytes = StoreBytes([&](CArchive& ar) {
    for (int k = 0; k < 3; ++k) StoreMix(ar, in);
    EXPECT_EQ(ar.GetPosition(), 3 * MixBytes().size());
  }, GetParam());
  ASSERT_EQ(bytes, Cat({MixBytes(), MixBytes(), MixBytes()})) << Hex(bytes);

  ULONGLONG end = LoadBytes(bytes, [&](CArchive& ar) {
    for (int k = 0; k < 3; ++k) {
      Mix out;
      LoadMix(ar, out);
      EXPECT_EQ(out.b, in.b);
      EXPECT_EQ(out.w, in.w);
      EXPECT_EQ(out.dw, in.dw);
      EXPECT_EQ(out.l, in.l);
      EXPECT_EQ(out.i, in.i);
      EXPECT_EQ(out.ll, in.ll);
      EXPECT_EQ(out.time, in.time);
      EXPECT_EQ(out.span, in.span);
      EXPECT_EQ(0, std::memcmp(out.block, in.block, sizeof in.block));
      EXPECT_EQ(out.str, in.str);
    }
  }, GetParam());
  EXPECT_EQ(end, bytes.size());
}

INSTANTIATE_TEST_SUITE_P(Sizes, ArchiveBufferSize, testing::Values(8u, 13u, 64u, 4096u));

TEST(ArchiveBuffer, SmallValuesReachTheFileOnlyWhenTheBufferIsFull) {
  // Counts the calls that reach the file: per buffer, not per value.
  struct CountingFile : CMemFile {
    int nWrites = 0;
    void Write(const void* p, UINT n) override {
      ++nWrites;
      CMemFile::Write(p, n);
    }
  } file;
  CArchive ar(&file, CArchive::store, 64);
  for (DWORD k = 0; k < 64; ++k) ar << k;  // 256 bytes: four buffers
  EXPECT_EQ(file.nWrites, 3);                // the last one is still buffered
  ar.Close();
  EXPECT_EQ(file.nWrites, 4);
  EXPECT_EQ(file.Data().size(), 256u);
}

TEST(ArchiveBuffer, CloseKeepsBufferedBytesAndAbortDropsThem) {
  for (bool bClose : {true, false}) {
    CMemFile file;
    CArchive ar(&file, CArchive::store, 8);
    for (BYTE k = 0; k < 10; ++k) ar << k;  // the 9th byte flushes the first 8
    bClose ? ar.Close() : ar.Abort();
    EXPECT_EQ(file.Data().size(), bClose ? 10u : 8u);
    // A closed archive takes nothing more.
    EXPECT_EQ(ArchiveErrorCause([&] { ar << DWORD{1}; }), CArchiveException::genericException);
  }
}

TEST(ArchiveBuffer, ReadIsAllOrNothingAtTheEnd) {
  LoadBytes({1, 2, 3, 4, 5}, [](CArchive& ar) {
    BYTE first;
    ar >> first;
    BYTE block[8];
    EXPECT_EQ(ArchiveErrorCause([&] { ar.Read(block, 5); }), CArchiveException::endOfFile);
    EXPECT_EQ(ar.GetPosition(), 1u);
    EXPECT_EQ(ArchiveErrorCause([&] { DWORD dw; ar >> dw >> dw; }), CArchiveException::endOfFile);
  });
}

TEST(ArchiveBuffer, EnsureAvailableCountsBufferAndFile) {
  for (UINT nBufSize : {8u, 4096u}) {
    LoadBytes(Bytes(20, 0x55), [&](CArchive& ar) {
      WORD w;
      ar >> w;
      EXPECT_NO_THROW(ar.EnsureAvailable(18));
      EXPECT_EQ(ArchiveErrorCause([&] { ar.EnsureAvailable(19); }), CArchiveException::endOfFile);
      EXPECT_EQ(ArchiveErrorCause([&] { ar.EnsureAvailable(~0ull); }), CArchiveException::endOfFile);
    }, nBufSize);
  }
}

TEST(ArchiveBuffer, FailingFileWriteIsAFileExceptionAndAbortStillWorks) {
  struct FullFile : CMemFile {
    void Write(const void*, UINT) override { throw CFileException(112, "DevMan"); }
  } file;
  CArchive ar(&file, CArchive::store, 8);
  ar << DWORD{1};
  EXPECT_THROW(ar.Close(), CFileException);
  EXPECT_NO_THROW(ar.Abort());
}

}  // namespace
