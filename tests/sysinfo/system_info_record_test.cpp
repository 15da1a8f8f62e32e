// The archive record of CSystemInfo: its exact bytes, loading, and hostile counts.
#include <gtest/gtest.h>

#include <numeric>

#include "sysinfo/system_info.h"
#include "tests/report/archive_test_support.h"

namespace {

Bytes Pattern(size_t nBytes, BYTE bFirst) {
  Bytes bytes(nBytes);
  std::iota(bytes.begin(), bytes.end(), bFirst);
  return bytes;
}

void SetBlock(std::unique_ptr<BYTE[]>& pBlock, ULONG& cbBlock, const Bytes& bytes) {
  pBlock.reset(new BYTE[bytes.size()]);
  std::copy(bytes.begin(), bytes.end(), pBlock.get());
  cbBlock = static_cast<ULONG>(bytes.size());
}

Bytes BlockOf(const std::unique_ptr<BYTE[]>& pBlock, ULONG cbBlock) {
  return pBlock ? Bytes(pBlock.get(), pBlock.get() + cbBlock) : Bytes{};
}

TEST(SystemInfoRecord, StoresStringsThenCountedBlocks) {
  CSystemInfo info;
  info.m_strComputerName = "PC1";
  info.m_strWindowsDir = "C:\\WIN";
  SetBlock(info.m_pSystemInfo, info.m_cbSystemInfo, Pattern(36, 0x00));
  SetBlock(info.m_pVersionInfo, info.m_cbVersionInfo, Pattern(156, 0x40));

  Bytes stored = StoreBytes([&](CArchive& ar) { info.Serialize(ar); });

  Bytes expected = Cat({{0x03, 'P', 'C', '1'},
                        {0x06, 'C', ':', '\\', 'W', 'I', 'N'},
                        {0x24, 0x00, 0x00, 0x00},
                        Pattern(36, 0x00),
                        {0x9C, 0x00, 0x00, 0x00},
                        Pattern(156, 0x40)});
  EXPECT_EQ(Hex(stored), Hex(expected));
}

TEST(SystemInfoRecord, AbsentBlocksAreCountsOfZeroAndNothingElse) {
  CSystemInfo info;
  info.m_strComputerName = "PC";
  Bytes stored = StoreBytes([&](CArchive& ar) { info.Serialize(ar); });
  EXPECT_EQ(Hex(stored), Hex({0x02, 'P', 'C', 0x00, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(SystemInfoRecord, LoadsBothSizesZeroAsNullBlocksConsumingOnlyTheRecord) {
  // Two strings, two zero counts, and one byte that belongs to what follows.
  Bytes bytes = {0x02, 'P', 'C', 0x01, 'D', 0, 0, 0, 0, 0, 0, 0, 0, 0xEE};
  CSystemInfo info;
  ULONGLONG nEnd = LoadBytes(bytes, [&](CArchive& ar) { info.Serialize(ar); });
  EXPECT_EQ(nEnd, bytes.size() - 1);
  EXPECT_EQ(info.m_strComputerName, "PC");
  EXPECT_EQ(info.m_strWindowsDir, "D");
  EXPECT_EQ(info.m_pSystemInfo, nullptr);
  EXPECT_EQ(info.m_cbSystemInfo, 0u);
  EXPECT_EQ(info.m_pVersionInfo, nullptr);
  EXPECT_EQ(info.m_cbVersionInfo, 0u);
}

TEST(SystemInfoRecord, RoundTripKeepsEveryByte) {
  CSystemInfo info;
  info.m_strComputerName = "WS01";
  info.m_strWindowsDir = "C:\\WINDOWS";
  SetBlock(info.m_pSystemInfo, info.m_cbSystemInfo, Pattern(36, 7));
  SetBlock(info.m_pVersionInfo, info.m_cbVersionInfo, Pattern(156, 9));
  Bytes stored = StoreBytes([&](CArchive& ar) { info.Serialize(ar); });

  CSystemInfo loaded;
  LoadBytes(stored, [&](CArchive& ar) { loaded.Serialize(ar); });
  EXPECT_EQ(loaded.m_strComputerName, "WS01");
  EXPECT_EQ(loaded.m_strWindowsDir, "C:\\WINDOWS");
  EXPECT_EQ(BlockOf(loaded.m_pSystemInfo, loaded.m_cbSystemInfo), Pattern(36, 7));
  EXPECT_EQ(BlockOf(loaded.m_pVersionInfo, loaded.m_cbVersionInfo), Pattern(156, 9));
}

TEST(SystemInfoRecord, CountsBeyondTheStreamFailWithoutAllocating) {
  struct Case {
    const char* name;
    Bytes bytes;
  };
  const Case cases[] = {
      {"huge system count", {0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 1, 2, 3, 4}},
      {"system block cut short", Cat({{0x00, 0x00}, U32(36), Pattern(10, 0)})},
      {"huge version count", Cat({{0x00, 0x00}, U32(0), U32(0xFFFFFFF0), Pattern(8, 0)})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CSystemInfo info;
    int nCause = ArchiveErrorCause([&] { LoadBytes(c.bytes, [&](CArchive& ar) { info.Serialize(ar); }); });
    EXPECT_EQ(nCause, CArchiveException::endOfFile);
  }
}

}  // namespace
