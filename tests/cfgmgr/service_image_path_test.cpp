// The full path of a service's image file from its "ImagePath" text.
#include "cfgmgr/service_image_path.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct ImageCase {
  const char* name;
  const char* image_path;   // null: the service has no "ImagePath"
  std::string service;
  const char* windows_dir;  // null: unknown
  size_t capacity;
  std::string path;         // empty: FALSE
};

TEST(ComposeImagePath, FollowsTheImagePathRules) {
  const std::string longest(224, 's');  // 260 - 10 - 1 = 249 = 224 + 25
  const ImageCase cases[] = {
      {"system32\\DRIVERS\\ gets the Windows directory", "system32\\DRIVERS\\disk.sys", "disk",
       "C:\\WINDOWS", 260, "C:\\WINDOWS\\system32\\DRIVERS\\disk.sys"},
      {"in any letter case", "SYSTEM32\\drivers\\disk.sys", "disk", "C:\\WINDOWS", 260,
       "C:\\WINDOWS\\SYSTEM32\\drivers\\disk.sys"},
      {"\\SystemRoot\\ unchanged", "\\SystemRoot\\System32\\drivers\\disk.sys", "disk",
       "C:\\WINDOWS", 260, "\\SystemRoot\\System32\\drivers\\disk.sys"},
      {"a full path unchanged", "C:\\Program Files\\x\\svc.exe", "x", "C:\\WINDOWS", 260,
       "C:\\Program Files\\x\\svc.exe"},
      {"system32 without drivers unchanged", "system32\\svchost.exe", "x", "C:\\WINDOWS", 260,
       "system32\\svchost.exe"},
      {"no ImagePath", nullptr, "disk", "C:\\WINDOWS", 260,
       "C:\\WINDOWS\\System32\\drivers\\disk.sys"},
      {"Windows directory needed but unknown", "system32\\DRIVERS\\disk.sys", "disk", nullptr,
       260, ""},
      {"no ImagePath, Windows directory unknown", nullptr, "disk", nullptr, 260, ""},
      // 10 + 1 + 30 characters and the NUL: 42 bytes.
      {"exactly fits", "system32\\DRIVERS\\disk12345.sys", "disk", "C:\\WINDOWS", 42,
       "C:\\WINDOWS\\system32\\DRIVERS\\disk12345.sys"},
      {"one byte short", "system32\\DRIVERS\\disk12345.sys", "disk", "C:\\WINDOWS", 41, ""},
      {"unchanged path too long", "C:\\0123456789", "x", nullptr, 13, ""},
      {"no ImagePath, longest name", nullptr, longest, "C:\\WINDOWS", 260,
       "C:\\WINDOWS\\System32\\drivers\\" + longest + ".sys"},
      {"no ImagePath, name too long", nullptr, longest, "C:\\WINDOWS", 259, ""},
  };
  for (const ImageCase& c : cases) {
    std::vector<char> out(c.capacity, '#');
    EXPECT_EQ(ComposeImagePath(c.image_path, c.service.c_str(), c.windows_dir, out.data(),
                               out.size()),
              c.path.empty() ? FALSE : TRUE)
        << c.name;
    EXPECT_EQ(std::string(out.data()), c.path) << c.name;
  }
}

}  // namespace
