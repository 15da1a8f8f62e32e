// Collecting the system record from the real system (run under Wine): the
// 36-byte layout also on a 64-bit build, and the version the system reports.
#include <gtest/gtest.h>

#include <cstring>

#include "sysinfo/system_info.h"
#include "tests/sysinfo/block_fields.h"

namespace {

using tov::test::DwordAt;
using tov::test::WordAt;

TEST(SystemInfoWindows, StoresTheSystemStructureInTheThirtySixByteLayout) {
  CSystemInfo info;
  ASSERT_TRUE(info.Collect());
  SYSTEM_INFO si;
  GetSystemInfo(&si);

  ASSERT_EQ(info.m_cbSystemInfo, 36u);
  const BYTE* p = info.m_pSystemInfo.get();
  EXPECT_EQ(WordAt(p, 0), si.wProcessorArchitecture);
  EXPECT_EQ(DwordAt(p, 4), si.dwPageSize);
  EXPECT_EQ(DwordAt(p, 8), static_cast<DWORD>(reinterpret_cast<uintptr_t>(si.lpMinimumApplicationAddress)));
  EXPECT_EQ(DwordAt(p, 12), static_cast<DWORD>(reinterpret_cast<uintptr_t>(si.lpMaximumApplicationAddress)));
  EXPECT_EQ(DwordAt(p, 16), static_cast<DWORD>(si.dwActiveProcessorMask));
  EXPECT_EQ(DwordAt(p, 20), si.dwNumberOfProcessors);
  EXPECT_EQ(DwordAt(p, 24), si.dwProcessorType);
  EXPECT_EQ(DwordAt(p, 28), si.dwAllocationGranularity);
  EXPECT_EQ(WordAt(p, 32), si.wProcessorLevel);
  EXPECT_EQ(WordAt(p, 34), si.wProcessorRevision);
}

TEST(SystemInfoWindows, KeepsTheExtendedVersionStructure) {
  CSystemInfo info;
  info.Collect();
  OSVERSIONINFOEXA version = {};
  version.dwOSVersionInfoSize = sizeof(version);
  ASSERT_TRUE(GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&version)));

  ASSERT_EQ(info.m_cbVersionInfo, 156u);
  EXPECT_EQ(std::memcmp(info.m_pVersionInfo.get(), &version, sizeof(version)), 0);
}

TEST(SystemInfoWindows, TakesTheComputerNameAndWindowsDirectory) {
  CSystemInfo info;
  info.Collect();
  char szName[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD nSize = sizeof(szName);
  ASSERT_TRUE(GetComputerNameA(szName, &nSize));
  char szDir[MAX_PATH];
  ASSERT_NE(GetWindowsDirectoryA(szDir, sizeof(szDir)), 0u);
  EXPECT_EQ(info.m_strComputerName, szName);
  EXPECT_EQ(info.m_strWindowsDir, szDir);
  EXPECT_FALSE(info.m_strComputerName.empty());
}

}  // namespace
