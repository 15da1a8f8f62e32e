// ParseOptions applied to the process's argument vector: the run settings it
// leaves for the rest of the run.
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/run_settings.h"

namespace tov::test {
namespace {

// Sets the argument vector for one test and puts the old one back.
class Arguments {
 public:
  explicit Arguments(std::vector<std::string> args) : texts_(std::move(args)) {
    for (std::string& t : texts_) pointers_.push_back(t.data());
    pointers_.push_back(nullptr);
    saved_argc_ = __argc;
    saved_argv_ = __argv;
    __argc = static_cast<int>(texts_.size());
    __argv = pointers_.data();
  }
  ~Arguments() {
    __argc = saved_argc_;
    __argv = saved_argv_;
  }

 private:
  std::vector<std::string> texts_;
  std::vector<char*> pointers_;
  int saved_argc_;
  char** saved_argv_;
};

TEST(RunSettings, FilledFromTheArguments) {
  Arguments args({"tov", "/hwnd:0x1A2B", "-sdd", "report.dat", "/sce"});
  ASSERT_TRUE(ParseOptions());
  EXPECT_STREQ(g_szReportFile, "report.dat");
  EXPECT_EQ(g_hwndParent, reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0x1A2B)));
  EXPECT_EQ(g_dwOptions, 0x58u);
}

TEST(RunSettings, TheLongestNameLeavesTheOtherSettingsAlone) {
  std::string longest(MAX_PATH - 1, 'n');
  Arguments args({"tov", "/hwnd:77", longest, "/ssr"});
  ASSERT_TRUE(ParseOptions());
  EXPECT_EQ(std::string(g_szReportFile), longest);
  EXPECT_EQ(g_hwndParent, reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0x77)));
  EXPECT_EQ(g_dwOptions, 0x02u);
}

TEST(RunSettings, ClearedByEachCall) {
  {
    Arguments first({"tov", "/hwnd:5", "/sdm", "a.dat"});
    ASSERT_TRUE(ParseOptions());
  }
  Arguments second({"tov", "b.dat"});
  ASSERT_TRUE(ParseOptions());
  EXPECT_STREQ(g_szReportFile, "b.dat");
  EXPECT_EQ(g_hwndParent, nullptr);
  EXPECT_EQ(g_dwOptions, 0u);
}

}  // namespace
}  // namespace tov::test
