// Documented behaviour of ExpandEnvironmentStringsA, GetWindowsDirectoryA,
// GetComputerNameA and GetFileAttributesA, on the shared test variables.
#include <cstring>
#include <string>
#include <vector>

#include "tests/platform/contract_data.h"

namespace tov::test {
namespace {

class EnvironmentContract : public ContractTest {};

struct ExpandCase {
  const char* source;
  std::string expected;
};

const ExpandCase kExpandCases[] = {
    {"%TOV_TEST_DIR%\\x.sys", "C:\\Tov\\x.sys"},
    {"pre%tov_test_dir%post", "preC:\\Tovpost"},
    {"%TOV_TEST_DIR%%TOV_TEST_DIR%", "C:\\TovC:\\Tov"},
    {"%TOV_TEST_EMPTY%x", "x"},
    {"%TOV_TEST_UNKNOWN%", "%TOV_TEST_UNKNOWN%"},
    {"%TOV_TEST_UNKNOWN%%TOV_TEST_DIR%", "%TOV_TEST_UNKNOWN%C:\\Tov"},
    {"%TOV_TEST_UNKNOWN%TOV_TEST_DIR%", "%TOV_TEST_UNKNOWN%TOV_TEST_DIR%"},
    {"%%", "%%"},
    {"a%%b", "a%%b"},
    {"%%TOV_TEST_DIR%%", "%%TOV_TEST_DIR%%"},
    {"100%", "100%"},
    {"%TOV_TEST_DIR", "%TOV_TEST_DIR"},
    {"no references", "no references"},
    {"", ""},
    {"%TOV_TEST_LONG%", std::string(300, 'L')},
};

TEST_F(EnvironmentContract, ExpandReturnsTheSizeWithNulWhetherItFitsOrNot) {
  for (const ExpandCase& c : kExpandCases) {
    SCOPED_TRACE(c.source);
    const DWORD needed = static_cast<DWORD>(c.expected.size() + 1);
    EXPECT_EQ(ExpandEnvironmentStringsA(c.source, nullptr, 0), needed) << "size only";

    std::vector<char> buf(needed + 8, 'x');
    EXPECT_EQ(ExpandEnvironmentStringsA(c.source, buf.data(), static_cast<DWORD>(buf.size())), needed)
        << "with room";
    EXPECT_EQ(std::string(buf.data()), c.expected);

    std::fill(buf.begin(), buf.end(), 'x');
    EXPECT_EQ(ExpandEnvironmentStringsA(c.source, buf.data(), needed), needed) << "exact fit";
    EXPECT_EQ(std::string(buf.data()), c.expected);

    if (needed > 1) {
      EXPECT_EQ(ExpandEnvironmentStringsA(c.source, buf.data(), needed - 1), needed)
          << "one short: the size needed, never a success";
    }
  }
}

TEST_F(EnvironmentContract, ExpansionLongerThanAPathBufferIsReportedNotCut) {
  char buf[MAX_PATH];
  EXPECT_EQ(ExpandEnvironmentStringsA("%TOV_TEST_LONG%", buf, MAX_PATH), 301u);
}

TEST_F(EnvironmentContract, WindowsDirectoryLengthOrSizeNeeded) {
  char buf[MAX_PATH + 1];
  const UINT length = GetWindowsDirectoryA(buf, MAX_PATH);
  ASSERT_GT(length, 0u);
  ASSERT_LT(length, static_cast<UINT>(MAX_PATH));
  const std::string dir(buf);
  EXPECT_EQ(dir.size(), length);
  EXPECT_NE(dir.back(), '\\');

  EXPECT_EQ(GetWindowsDirectoryA(nullptr, 0), length + 1);
  EXPECT_EQ(GetWindowsDirectoryA(buf, length), length + 1) << "no room for the NUL";
  std::memset(buf, 'x', sizeof buf);
  EXPECT_EQ(GetWindowsDirectoryA(buf, length + 1), length) << "exact fit";
  EXPECT_EQ(std::string(buf), dir);
}

TEST_F(EnvironmentContract, ComputerNameSizeInAndOut) {
  char buf[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = sizeof buf;
  ASSERT_TRUE(GetComputerNameA(buf, &size));
  const std::string name(buf);
  ASSERT_GT(name.size(), 0u);
  EXPECT_EQ(size, name.size()) << "the length without the NUL";

  const DWORD length = size;
  size = length;
  EXPECT_FALSE(GetComputerNameA(buf, &size)) << "no room for the NUL";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BUFFER_OVERFLOW));
  EXPECT_EQ(size, length + 1) << "the size needed";

  size = length + 1;
  std::memset(buf, 'x', sizeof buf);
  EXPECT_TRUE(GetComputerNameA(buf, &size)) << "exact fit";
  EXPECT_EQ(size, length);
  EXPECT_EQ(std::string(buf), name);
}

TEST_F(EnvironmentContract, FileAttributesOfMissingFilesAndFolders) {
  char dir[MAX_PATH];
  ASSERT_GT(GetWindowsDirectoryA(dir, MAX_PATH), 0u);
  EXPECT_NE(GetFileAttributesA(dir) & FILE_ATTRIBUTE_DIRECTORY, 0u);

  SetLastError(0);
  EXPECT_EQ(GetFileAttributesA((std::string(dir) + "\\tov-absent.sys").c_str()),
            INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

  SetLastError(0);
  EXPECT_EQ(GetFileAttributesA((std::string(dir) + "\\tov-absent\\x.sys").c_str()),
            INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST(CrtContract, CaseInsensitiveComparisonLowerCases) {
  struct Case {
    const char* a;
    const char* b;
    int sign;
  };
  const Case cases[] = {
      {"System32\\DRIVERS\\", "system32\\drivers\\", 0},
      {"abc", "abd", -1},
      {"B", "a", 1},
      {"abc", "ab", 1},
      {"", "a", -1},
      {"[", "a", -1},  // '[' sorts before every lower-case letter, after 'A'
  };
  auto sign = [](int v) { return (v > 0) - (v < 0); };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
    EXPECT_EQ(sign(_stricmp(c.a, c.b)), c.sign);
    EXPECT_EQ(sign(_strnicmp(c.a, c.b, 100)), c.sign);
  }
  EXPECT_EQ(_strnicmp("System32\\drivers\\disk.sys", "SYSTEM32\\DRIVERS\\", 17), 0);
  EXPECT_NE(_strnicmp("System32\\drivers\\disk.sys", "SYSTEM32\\DRIVERS\\", 18), 0);
  EXPECT_EQ(_strnicmp("abc", "abd", 0), 0);
}

}  // namespace
}  // namespace tov::test
