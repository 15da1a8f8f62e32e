// Class GUID texts: the registry form with or without its brace, any
// separator, and the length and field checks.
#include "cfgmgr/guid_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const GUID kNetClass = {0x4d36e972, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};

struct ParseCase {
  const char* text;
  bool parses;
};

TEST(ParseGuidText, AcceptsTheRegistryFormWithOrWithoutBraceAndAnySeparator) {
  const ParseCase cases[] = {
      {"{4D36E972-E325-11CE-BFC1-08002BE10318}", true},
      {"4D36E972-E325-11CE-BFC1-08002BE10318}", true},
      {"4d36e972-e325-11ce-bfc1-08002be10318", true},   // 36 characters, no brace
      {"{4d36e972_e325_11ce_bfc1_08002be10318}", true},  // separators are not tested
      {"{4D36E972xE325xBFC1x08002BE10318", false},       // 35 after the brace
      {"4D36E972-E325-11CE-BFC1-08002BE1031", false},    // 35 characters
      {"{4D36E972-E325-11CE-BFC1-08002BE103ZZ}", false}, // a last byte that is not hex
      {"{ZD36E972-E325-11CE-BFC1-08002BE10318}", false},
      {"", false},
  };
  for (const ParseCase& c : cases) {
    GUID guid{};
    EXPECT_EQ(ParseGuidText(c.text, &guid), c.parses ? TRUE : FALSE) << c.text;
    if (c.parses) {
      EXPECT_TRUE(guid == kNetClass) << c.text;
    }
  }
}

TEST(ParseGuidText, FillsTheFieldsInMemoryOrder) {
  GUID guid{};
  ASSERT_TRUE(ParseGuidText("{01020304-0506-0708-090A-0B0C0D0E0F10}", &guid));
  const unsigned char expected[16] = {0x04, 0x03, 0x02, 0x01, 0x06, 0x05, 0x08, 0x07,
                                      0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x10};
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&guid), 16),
            std::string(reinterpret_cast<const char*>(expected), 16));
}

TEST(ClassKeyPathFromGuidText, BuildsThePathWhenTheTextLeavesRoom) {
  PathBuffer path;
  ASSERT_TRUE(ClassKeyPathFromGuidText("{4D36E972-E325-11CE-BFC1-08002BE10318}", path));
  EXPECT_STREQ(path, "System\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}");

  // The text's length plus 40 must stay below 260.
  EXPECT_TRUE(ClassKeyPathFromGuidText(std::string(219, 'x').c_str(), path));
  EXPECT_FALSE(ClassKeyPathFromGuidText(std::string(220, 'x').c_str(), path));
}

}  // namespace
