// Registry texts and multi-strings as the platform returns them, with and
// without their terminators: the text ends at the data, never past the buffer.
#include "cfgmgr/registry_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct TextCase {
  const char* name;
  std::string data;  // the bytes the platform returned
  size_t buffer;     // buffer size
  bool fits;
  std::string text;
};

// The caller's buffer: the data, then bytes that must never become text.
std::vector<char> Buffer(const std::string& data, size_t size) {
  std::vector<char> buffer(size, '#');
  std::copy(data.begin(), data.end(), buffer.begin());
  return buffer;
}

TEST(EndTextAtData, EndsTheTextAtItsNulOrRightAfterTheData) {
  const TextCase cases[] = {
      {"with its NUL", std::string("abc\0", 4), 8, true, "abc"},
      {"without NUL", "abc", 8, true, "abc"},
      {"without NUL, one byte of room", "abcdefg", 8, true, "abcdefg"},
      {"without NUL, filling the buffer", "abcdefgh", 8, false, ""},
      {"NUL as the last byte", std::string("abcdefg\0", 8), 8, true, "abcdefg"},
      {"embedded NUL", std::string("ab\0cd", 5), 8, true, "ab"},
      {"no data", "", 8, true, ""},
  };
  for (const TextCase& c : cases) {
    std::vector<char> buffer = Buffer(c.data, c.buffer);
    ASSERT_EQ(EndTextAtData(buffer.data(), buffer.size(), c.data.size()), c.fits) << c.name;
    if (c.fits) {
      EXPECT_EQ(std::string(buffer.data()), c.text) << c.name;
    }
  }
}

TEST(MultiStringToLines, GivesOneLinePerStringUpToTheEndOfTheList) {
  const TextCase cases[] = {
      {"two strings", std::string("pci\0acpi\0\0", 10), 16, true, "pci\nacpi\n"},
      {"empty list", std::string("\0", 1), 16, true, ""},
      {"empty list without its NUL", "", 16, true, ""},
      {"list end missing", std::string("pci\0acpi\0", 9), 16, true, "pci\nacpi\n"},
      {"last NUL missing too", std::string("pci\0acpi", 8), 16, true, "pci\nacpi\n"},
      {"ends at the first empty string", std::string("a\0\0b\0\0", 6), 16, true, "a\n"},
      {"fills the buffer exactly", std::string("abcdef\0\0", 8), 8, true, "abcdef\n"},
      {"no room for the line end", "abcdefgh", 8, false, ""},
      {"no room for the final NUL", std::string("abcdefg\0", 8), 8, false, ""},
  };
  for (const TextCase& c : cases) {
    std::vector<char> buffer = Buffer(c.data, c.buffer);
    ASSERT_EQ(MultiStringToLines(buffer.data(), buffer.size(), c.data.size()), c.fits) << c.name;
    if (c.fits) {
      EXPECT_EQ(std::string(buffer.data()), c.text) << c.name;
    }
  }
}

}  // namespace
