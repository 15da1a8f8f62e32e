// Filling in message inserts, without any machine: the syntax table shared
// with the Wine run, and the malformed texts our filling refuses.
#include <gtest/gtest.h>

#include "platform/posix/src/message_inserts.h"
#include "tests/eventlog/message_insert_cases.h"

namespace tov::test {
namespace {

TEST(MessageInserts, SyntaxTable) {
  for (const InsertCase& c : MessageInsertCases()) {
    SCOPED_TRACE(c.what);
    std::string out;
    EXPECT_EQ(posix::FillMessageInserts(c.text, c.args.empty() ? nullptr : c.args.data(), out),
              static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(out, c.expected);
  }
}

TEST(MessageInserts, NullTextsAndMalformedFormats) {
  const DWORD_PTR args[] = {0, Arg("x")};
  struct Case {
    const char* what;
    const char* text;
    const DWORD_PTR* args;
    DWORD result;
    std::string out;
  };
  const Case cases[] = {
      {"a null text entry", "[%1]", args, ERROR_SUCCESS, "[(null)]"},
      // Documented as a blank; Wine writes the letter, so it is not in the shared table.
      {"%b is a blank", "a%bb", nullptr, ERROR_SUCCESS, "a b"},
      {"a percent sign at the end", "50%", nullptr, ERROR_SUCCESS, "50%"},
      {"an insert without an argument array", "a %1", nullptr, ERROR_INVALID_PARAMETER, "a "},
      {"a format without its closing mark", "%2!s", args, ERROR_INVALID_PARAMETER, ""},
      {"an unknown conversion", "%2!q!", args, ERROR_INVALID_PARAMETER, ""},
      {"a star width", "%2!*s!", args, ERROR_INVALID_PARAMETER, ""},
      {"two conversions", "%2!ss!", args, ERROR_INVALID_PARAMETER, ""},
      {"a width of five digits", "%2!10000s!", args, ERROR_INVALID_PARAMETER, ""},
      {"a width of four digits", "%2!1000s!", args, ERROR_SUCCESS, std::string(999, ' ') + "x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string out;
    EXPECT_EQ(posix::FillMessageInserts(c.text, c.args, out), c.result);
    EXPECT_EQ(out, c.out);
  }
}

}  // namespace
}  // namespace tov::test
