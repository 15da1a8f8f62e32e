// The text work of rendering, without any platform: file lists, parameter
// references, trimming and the fallback description.
#include <gtest/gtest.h>

#include "eventlog/message_text.h"

namespace tov::eventlog {
namespace {

TEST(MessageText, SplitFileList) {
  struct Case {
    const char* list;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {"a.dll", {"a.dll"}},
      {"a.dll;b.dll", {"a.dll", "b.dll"}},
      {";;a.dll;;;b.dll;", {"a.dll", "b.dll"}},
      {";", {}},
      {"", {}},
      {"C:\\x y\\a.dll ;b", {"C:\\x y\\a.dll ", "b"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.list);
    EXPECT_EQ(SplitFileList(c.list), c.names);
  }
}

TEST(MessageText, FindParameterReference) {
  struct Case {
    const char* text;
    bool found;
    size_t position;
    size_t length;
    DWORD number;
  };
  const Case cases[] = {
      {"no reference", false, 0, 0, 0},
      {"one % sign", false, 0, 0, 0},
      {"%%1234", true, 0, 6, 1234},
      {"ab %%7 and %%8", true, 3, 3, 7},
      {"%%x", true, 0, 2, 0},
      {"%%", true, 0, 2, 0},
      {"%%0", true, 0, 3, 0},
      {"%%%1", true, 0, 2, 0},
      {"%%4294967295", true, 0, 12, 0xFFFFFFFF},
      {"%%4294967296", true, 0, 12, 0},
      {"%%12345678901234567", true, 0, 18, 0},  // 16 digits taken, too large
      {"%%0000000000000012", true, 0, 18, 12},
      {"%%00000000000000123", true, 0, 18, 12},  // the 17th digit stays in the text
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::optional<ParameterReference> ref = FindParameterReference(c.text);
    ASSERT_EQ(ref.has_value(), c.found);
    if (!ref) continue;
    EXPECT_EQ(ref->position, c.position);
    EXPECT_EQ(ref->length, c.length);
    EXPECT_EQ(ref->number, c.number);
  }
}

TEST(MessageText, TrimTrailingWhitespace) {
  struct Case {
    std::string text;
    std::string trimmed;
  };
  const Case cases[] = {
      {"text\r\n", "text"},
      {"a b \t\n\v\f\r", "a b"},
      {" \r\n", ""},
      {"  lead", "  lead"},
      {"", ""},
  };
  for (const Case& c : cases) {
    std::string text = c.text;
    TrimTrailingWhitespace(text);
    EXPECT_EQ(text, c.trimmed);
  }
}

TEST(MessageText, FallbackDescription) {
  const std::string head =
      "The description for Event ID ( 65535 ) in Source ( Src ) cannot be found. The local "
      "computer may not have the necessary registry information or message DLL files to "
      "display messages from a remote computer. The following information is part of the "
      "event: ";
  EXPECT_EQ(FallbackDescription(65535, "Src", {}), head);
  EXPECT_EQ(FallbackDescription(65535, "Src", {"one", "", "three"}), head + "one, , three");
}

}  // namespace
}  // namespace tov::eventlog
