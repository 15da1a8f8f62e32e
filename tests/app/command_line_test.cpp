// The command-line grammar: file names, skip options, /hwnd values, and the
// lines that get the usage message.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/command_line.h"

namespace {

struct LineCase {
  const char* name;
  std::vector<std::string> args;  // after the program's name
  bool accepted;
  std::string file;
  DWORD hwnd;
  DWORD options;
};

bool Parse(const std::vector<std::string>& args, CommandLine& line) {
  std::vector<const char*> argv{"tov"};
  for (const std::string& a : args) argv.push_back(a.c_str());
  return ParseCommandLine(static_cast<int>(argv.size()), argv.data(), line);
}

TEST(CommandLine, Table) {
  const std::string longest(MAX_PATH - 1, 'n');
  const std::string too_long(MAX_PATH, 'n');
  const LineCase cases[] = {
      {"program name alone", {}, false, "", 0, 0},
      {"options without a file", {"/sdm", "-sdd"}, false, "", 0, 0x11},
      {"a file", {"report.dat"}, true, "report.dat", 0, 0},
      {"second file name", {"a.dat", "b.dat"}, false, "a.dat", 0, 0},
      {"second name stops the scan", {"a.dat", "b.dat", "/sdm"}, false, "a.dat", 0, 0},
      {"case and values of skip options", {"-SDM", "/Sse:yes", "report.dat"}, true, "report.dat", 0,
       0x05},
      {"every skip option", {"/sdm", "/sdd", "/ssr", "/sse", "/see", "/sce", "r"}, true, "r", 0,
       0x5F},
      {"/see alone", {"/see", "r"}, true, "r", 0, 0x08},
      {"/sce includes 0x08", {"/sce", "r"}, true, "r", 0, 0x48},
      {"unknown option ignored", {"/verbose", "-x:1", "r"}, true, "r", 0, 0},
      {"lone slash and dash", {"/", "-", "r"}, true, "r", 0, 0},
      {"name with colon and blank", {"C:\\my dir\\r.dat"}, true, "C:\\my dir\\r.dat", 0, 0},
      {"empty argument names no file", {"", "r.dat"}, true, "r.dat", 0, 0},
      {"only an empty argument", {""}, false, "", 0, 0},
      {"a name starting with / is an option", {"/tmp/r.dat"}, false, "", 0, 0},
      {"hwnd", {"/hwnd:1A2B", "r"}, true, "r", 0x1A2B, 0},
      {"hwnd cut at first colon only", {"/hwnd:1A2B:5", "r"}, true, "r", 0, 0},
      {"hwnd without a value", {"/hwnd", "r"}, true, "r", 0, 0},
      {"later hwnd replaces", {"/hwnd:10", "/HWND:0x20", "r"}, true, "r", 0x20, 0},
      {"bad hwnd keeps the earlier", {"/hwnd:10", "/hwnd:12G", "r"}, true, "r", 0x10, 0},
      {"259 characters fit", {longest}, true, longest, 0, 0},
      {"260 characters do not", {"/hwnd:99", "/sdm", too_long}, false, "", 0x99, 0x01},
  };
  for (const LineCase& c : cases) {
    CommandLine line;
    EXPECT_EQ(Parse(c.args, line), c.accepted) << c.name;
    if (c.accepted) {
      EXPECT_EQ(line.strReportFile, c.file) << c.name;
    }
    EXPECT_EQ(line.dwParentWindow, c.hwnd) << c.name;
    EXPECT_EQ(line.dwOptions, c.options) << c.name;
  }
}

TEST(CommandLine, WindowHandleValues) {
  const struct {
    const char* value;
    DWORD expected;
  } cases[] = {
      {"1a2b", 0x1A2B},      {"1A2B", 0x1A2B},       {"0x1a2b", 0x1A2B}, {"0X1A2B", 0x1A2B},
      {"  1a2b", 0x1A2B},    {"+1a2b", 0x1A2B},      {"-1", 0},          {"-2", 0xFFFFFFFE},
      {"0", 0},              {"00000000", 0},        {"FFFFFFFF", 0},    {"ffffffff", 0},
      {"FFFFFFFE", 0xFFFFFFFE}, {"100000000", 0},    {"123456789", 0},   {"-100000000", 0},
      {"12G", 0},            {"", 0},                {"0x", 0},          {"0xG", 0},
      {"1a2b ", 0},          {"1a2b:5", 0},          {"x1", 0},          {"- 1", 0},
      {"0000000000001", 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseWindowHandle(c.value), c.expected) << '"' << c.value << '"';
  }
}

}  // namespace
