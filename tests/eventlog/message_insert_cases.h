/// The insert syntax of message texts as a table: run natively against our
/// own insert filling and under Wine against the platform's FormatMessageA,
/// so both are held to the same answers.
#pragma once

#include <string>
#include <vector>

#include "win32_api.h"

namespace tov::test {

struct InsertCase {
  const char* what;
  const char* text;
  std::vector<DWORD_PTR> args;
  std::string expected;
};

inline DWORD_PTR Arg(const char* text) { return reinterpret_cast<DWORD_PTR>(text); }

inline const std::vector<InsertCase>& MessageInsertCases() {
  static const std::vector<InsertCase> cases = {
      {"plain text and line breaks are kept", "one\r\ntwo", {}, "one\r\ntwo"},
      {"inserts are texts by default", "%1 and %2", {Arg("x"), Arg("y")}, "x and y"},
      {"two digits at most",
       "%10|%100",
       {Arg("1"), Arg("2"), Arg("3"), Arg("4"), Arg("5"), Arg("6"), Arg("7"), Arg("8"), Arg("9"),
        Arg("ten")},
       "ten|ten0"},
      {"an insert used twice", "%1%1", {Arg("ab")}, "abab"},
      {"text format with width", "[%1!5s!][%1!-5s!]", {Arg("x")}, "[    x][x    ]"},
      {"text format with precision", "%1!.2s!", {Arg("abcdef")}, "ab"},
      {"unsigned", "%1!u!", {42}, "42"},
      {"signed takes 32 bits", "%1!d!", {static_cast<DWORD>(-5)}, "-5"},
      {"hex with zeros", "%1!08X! %1!x!", {0xBEEF}, "0000BEEF beef"},
      {"long changes nothing", "%1!lu!", {7}, "7"},
      {"character", "%1!c!", {'A'}, "A"},
      {"percent", "100%%", {}, "100%"},
      {"a doubled percent before digits is no insert", "%%1234", {}, "%1234"},
      {"%0 ends the text", "a%0b", {}, "a"},
      {"%n is a line break", "a%nb", {}, "a\r\nb"},
      {"%r is a carriage return", "a%rb", {}, "a\rb"},
      {"%t is a tab", "a%tb", {}, "a\tb"},
      {"%space is a blank", "a% b", {}, "a b"},
      {"%. is a period", "a%.b", {}, "a.b"},
      {"%! is an exclamation mark", "a%!b", {}, "a!b"},
      {"% before another character gives that character", "a%qb", {}, "aqb"},
  };
  return cases;
}

}  // namespace tov::test
