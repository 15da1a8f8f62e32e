// Collecting the system record over machine models: the 36-byte processor
// block, the version block with the sizes a system accepts, and the strings.
#include <gtest/gtest.h>

#include <cctype>
#include <vector>

#include "platform/machine/current_machine.h"
#include "platform/machine/fixture_loader.h"
#include "sysinfo/system_info.h"
#include "tests/sysinfo/block_fields.h"

using tov::machine::Machine;
using tov::machine::ScopedMachine;

namespace {

using tov::test::DwordAt;
using tov::test::WordAt;

TEST(SystemInfoCollect, FillsTheProcessorBlockInTheThirtySixByteLayout) {
  Machine m;
  m.System()
      .Architecture(PROCESSOR_ARCHITECTURE_AMD64, PROCESSOR_AMD_X8664)
      .Processors(4)
      .ActiveProcessorMask(0xF)
      .PageSize(4096, 0x10000)
      .ApplicationAddresses(0x10000, 0x7FFEFFFF)
      .ProcessorLevel(6, 0x3A09);
  ScopedMachine use(m);

  CSystemInfo info;
  EXPECT_TRUE(info.Collect());

  ASSERT_EQ(info.m_cbSystemInfo, 36u);
  const BYTE* p = info.m_pSystemInfo.get();
  EXPECT_EQ(WordAt(p, 0), PROCESSOR_ARCHITECTURE_AMD64);
  EXPECT_EQ(WordAt(p, 2), 0);
  EXPECT_EQ(DwordAt(p, 4), 4096u);
  EXPECT_EQ(DwordAt(p, 8), 0x10000u);
  EXPECT_EQ(DwordAt(p, 12), 0x7FFEFFFFu);
  EXPECT_EQ(DwordAt(p, 16), 0xFu);
  EXPECT_EQ(DwordAt(p, 20), 4u);
  EXPECT_EQ(DwordAt(p, 24), static_cast<DWORD>(PROCESSOR_AMD_X8664));
  EXPECT_EQ(DwordAt(p, 28), 0x10000u);
  EXPECT_EQ(WordAt(p, 32), 6);
  EXPECT_EQ(WordAt(p, 34), 0x3A09);
}

TEST(SystemInfoCollect, TakesTheComputerNameAndWindowsDirectory) {
  Machine m;
  m.ComputerName("WS01").WindowsDirectory("D:\\WINNT");
  ScopedMachine use(m);
  CSystemInfo info;
  info.Collect();
  EXPECT_EQ(info.m_strComputerName, "WS01");
  EXPECT_EQ(info.m_strWindowsDir, "D:\\WINNT");
}

TEST(SystemInfoCollect, NamesThatDoNotFitLeaveEmptyStrings) {
  Machine m;
  m.ComputerName("SIXTEEN-CHARS-XX").WindowsDirectory(std::string(260, 'D'));
  ScopedMachine use(m);
  CSystemInfo info;
  info.m_strComputerName = "earlier";
  info.Collect();
  EXPECT_EQ(info.m_strComputerName, "");
  EXPECT_EQ(info.m_strWindowsDir, "");
  EXPECT_EQ(info.m_cbSystemInfo, 36u);
}

struct VersionCase {
  const char* name;
  bool bAcceptsPlain;
  bool bAcceptsExtended;
  DWORD dwPlatformId;
  ULONG cbExpected;           // stored count
  DWORD dwSizeFieldExpected;  // first field of the block
  bool bExtendedFilled;       // service-pack numbers and product type present
  bool bCsdEmptied;           // byte 20 forced to 0
};

class SystemInfoVersion : public testing::TestWithParam<VersionCase> {};

TEST_P(SystemInfoVersion, KeepsTheBlockTheSystemFilled) {
  const VersionCase& c = GetParam();
  Machine m;
  m.System()
      .Version(5, 1, 2600)
      .PlatformId(c.dwPlatformId)
      .ServicePack("Service Pack 3", 3, 0)
      .Suite(0x0100, VER_NT_WORKSTATION)
      .VersionSizes(c.bAcceptsPlain, c.bAcceptsExtended);
  ScopedMachine use(m);

  CSystemInfo info;
  EXPECT_TRUE(info.Collect());

  ASSERT_EQ(info.m_cbVersionInfo, c.cbExpected);
  if (c.cbExpected == 0) {
    EXPECT_EQ(info.m_pVersionInfo, nullptr);
    return;
  }
  const BYTE* p = info.m_pVersionInfo.get();
  EXPECT_EQ(DwordAt(p, 0), c.dwSizeFieldExpected);
  EXPECT_EQ(DwordAt(p, 4), 5u);
  EXPECT_EQ(DwordAt(p, 8), 1u);
  EXPECT_EQ(DwordAt(p, 12), 2600u);
  EXPECT_EQ(DwordAt(p, 16), c.dwPlatformId);
  const char* pszCsd = reinterpret_cast<const char*>(p + 20);
  EXPECT_STREQ(pszCsd, c.bCsdEmptied ? "" : "Service Pack 3");
  if (c.bCsdEmptied) {
    EXPECT_STREQ(pszCsd + 1, "ervice Pack 3");  // only the first byte changes
  }
  using Bytes = std::vector<BYTE>;
  Bytes tail(p + 148, p + 156);
  Bytes expectedTail = c.bExtendedFilled ? Bytes{3, 0, 0, 0, 0x00, 0x01, VER_NT_WORKSTATION, 0}
                                         : Bytes(8, 0);
  EXPECT_EQ(tail, expectedTail);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SystemInfoVersion,
    testing::Values(
        VersionCase{"both sizes", true, true, VER_PLATFORM_WIN32_NT, 156, 156, true, false},
        VersionCase{"extended only", false, true, VER_PLATFORM_WIN32_NT, 156, 156, true, false},
        VersionCase{"plain only", true, false, VER_PLATFORM_WIN32_NT, 156, 148, false, false},
        VersionCase{"both refused", false, false, VER_PLATFORM_WIN32_NT, 0, 0, false, false},
        VersionCase{"top bit of GetVersion", true, false, VER_PLATFORM_WIN32_WINDOWS, 156, 148, false,
                    true}),
    [](const testing::TestParamInfo<VersionCase>& info) {
      std::string name = info.param.name;
      for (char& ch : name) {
        if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
      }
      return name;
    });

}  // namespace

namespace {

TEST(SystemInfoFixture, SystemSectionGivesTheFacts) {
  Machine m;
  std::string error;
  ASSERT_TRUE(tov::machine::ParseMachineFixture(R"({
      "system": {
        "processor": {"architecture": 9, "type": 8664, "count": 4, "pageSize": 8192},
        "version": {"major": 5, "minor": 0, "build": 2195, "platformId": 1,
                    "servicePack": " A", "acceptedSizes": [148]}
      }})",
                                                "inline", m, &error))
      << error;
  ScopedMachine use(m);
  CSystemInfo info;
  info.Collect();
  const BYTE* p = info.m_pSystemInfo.get();
  EXPECT_EQ(WordAt(p, 0), PROCESSOR_ARCHITECTURE_AMD64);
  EXPECT_EQ(DwordAt(p, 4), 8192u);
  EXPECT_EQ(DwordAt(p, 20), 4u);
  EXPECT_EQ(DwordAt(p, 24), 8664u);
  const BYTE* v = info.m_pVersionInfo.get();
  EXPECT_EQ(DwordAt(v, 0), 148u);
  EXPECT_EQ(DwordAt(v, 8), 0u);
  EXPECT_EQ(DwordAt(v, 12), 2195u);
  EXPECT_EQ(v[20], 0);    // top bit of GetVersion on platform 1
  EXPECT_EQ(v[21], 'A');
}

TEST(SystemInfoFixture, RejectsSizesOtherThanTheTwoStructures) {
  const char* texts[] = {
      R"({"system": {"version": {"acceptedSizes": [150]}}})",
      R"({"system": {"version": {"productType": 300}}})",
      R"({"system": {"processor": {"cores": 2}}})",
  };
  for (const char* text : texts) {
    SCOPED_TRACE(text);
    Machine m;
    std::string error;
    EXPECT_FALSE(tov::machine::ParseMachineFixture(text, "inline", m, &error));
    EXPECT_NE(error.find("/system/"), std::string::npos) << error;
  }
}

}  // namespace
