// The pieces of the driver file list: the case-blind search, the queue-scan
// callback that fills a fixed buffer, and the merge after the service path.
#include "cfgmgr/driver_file_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct FindCase {
  const char* text;
  const char* pattern;
  size_t position;
};

TEST(FindNoCase, FindsTheFirstOccurrenceIgnoringLetterCase) {
  constexpr size_t npos = std::string_view::npos;
  const FindCase cases[] = {
      {"C:\\WINDOWS\\system32\\DRIVERS\\e1000.sys", "c:\\windows\\SYSTEM32\\drivers\\E1000.SYS", 0},
      {"C:\\WINDOWS\\system32\\DRIVERS\\e1000.sys", "E1000.sys", 28},
      {"abcabc", "BC", 1},
      {"abc", "abcd", npos},
      {"abc", "x", npos},
      {"abc", "", 0},  // an empty pattern matches at the first position
      {"", "", npos},  // but an empty text has no occurrence
      {"", "a", npos},
  };
  for (const FindCase& c : cases) {
    EXPECT_EQ(FindNoCase(c.text, c.pattern), c.position) << c.text << " / " << c.pattern;
  }
}

// Runs the callback over `paths` as a queue scan would, into `capacity` bytes.
std::string Scan(const std::vector<std::string>& paths, size_t capacity, DWORD* count = nullptr) {
  std::vector<char> buffer(capacity, '#');
  buffer[0] = '\0';
  DriverFileScanContext context{buffer.data(), capacity, 0};
  for (const std::string& path : paths) {
    EXPECT_EQ(DriverFileScanCallback(&context, SPFILENOTIFY_QUEUESCAN,
                                     reinterpret_cast<UINT_PTR>(path.c_str()), 0),
              0u);
  }
  if (count != nullptr) *count = context.nCount;
  return buffer.data();
}

TEST(DriverFileScanCallback, SeparatesPathsWithLineFeedsAndNoneAtTheEnd) {
  DWORD count = 0;
  EXPECT_EQ(Scan({"C:\\a.sys", "C:\\b.dll", "C:\\c.inf"}, 64, &count), "C:\\a.sys\nC:\\b.dll\nC:\\c.inf");
  EXPECT_EQ(count, 3u);
}

TEST(DriverFileScanCallback, SkipsAPathThatDoesNotFitAndKeepsLaterShorterOnes) {
  // 16 bytes: "C:\a.sys" takes 8; a path needs its length plus 2 of what is left.
  DWORD count = 0;
  EXPECT_EQ(Scan({"C:\\a.sys", "C:\\bb.sys", "C:\\c.s"}, 16, &count), "C:\\a.sys\nC:\\c.s");
  EXPECT_EQ(count, 2u);
  // Room is asked for the separator even for the first path.
  EXPECT_EQ(Scan({"C:\\abcd.sys", "C:\\a.sy"}, 12), "C:\\a.sy");
}

TEST(DriverFileScanCallback, IgnoresMissingContextBufferOrPath) {
  char buffer[16] = "keep";
  DriverFileScanContext no_buffer{nullptr, 16, 0};
  DriverFileScanContext context{buffer, sizeof buffer, 0};
  const char* path = "C:\\a.sys";
  EXPECT_EQ(DriverFileScanCallback(nullptr, SPFILENOTIFY_QUEUESCAN, reinterpret_cast<UINT_PTR>(path), 0), 0u);
  EXPECT_EQ(DriverFileScanCallback(&no_buffer, SPFILENOTIFY_QUEUESCAN, reinterpret_cast<UINT_PTR>(path), 0), 0u);
  EXPECT_EQ(DriverFileScanCallback(&context, SPFILENOTIFY_QUEUESCAN, 0, 0), 0u);
  EXPECT_STREQ(buffer, "keep");
  EXPECT_EQ(no_buffer.nCount + context.nCount, 0u);
}

struct MergeCase {
  const char* name;
  const char* list;   // the service path
  const char* files;  // what the queue scan gave
  size_t capacity;
  const char* merged;
};

TEST(MergeDriverFiles, AppendsNewPathsUntilOneDoesNotFit) {
  const MergeCase cases[] = {
      {"service image in another case listed once", "C:\\W\\system32\\DRIVERS\\e1000.sys",
       "C:\\W\\System32\\Drivers\\E1000.SYS\nC:\\W\\system32\\e1000msg.dll", 5120,
       "C:\\W\\system32\\DRIVERS\\e1000.sys\nC:\\W\\system32\\e1000msg.dll"},
      {"path found inside an earlier entry skipped", "C:\\W\\x.sys",
       "x.sys\nC:\\W\\y.sys\nW\\y", 5120, "C:\\W\\x.sys\nC:\\W\\y.sys"},
      {"runs of line feeds count as one", "C:\\a", "\n\nC:\\b\n\n\nC:\\c\n", 5120,
       "C:\\a\nC:\\b\nC:\\c"},
      // 16 bytes: "C:\a" (4) + "\nC:\b" (5) = 9; "\nC:\cccccc" needs 10 + NUL: stop.
      {"first path that does not fit ends the merge", "C:\\a", "C:\\b\nC:\\cccccc\nC:\\d", 16,
       "C:\\a\nC:\\b"},
      {"a duplicate that does not fit also ends it", "C:\\aaaaaaaaa",
       "C:\\aaaaaaaaa\nC:\\d", 14, "C:\\aaaaaaaaa"},
      {"nothing to merge", "C:\\a", "", 16, "C:\\a"},
  };
  for (const MergeCase& c : cases) {
    std::vector<char> list(c.capacity, '#');
    std::copy(c.list, c.list + std::char_traits<char>::length(c.list) + 1, list.begin());
    MergeDriverFiles(list.data(), list.size(), c.files);
    EXPECT_STREQ(list.data(), c.merged) << c.name;
  }
}

}  // namespace
