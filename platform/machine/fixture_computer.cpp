// The "computer" and "environment" sections of a machine fixture.
#include <ctime>
#include <cstdio>

#include "platform/machine/fixture_sections.h"
#include "win32_api.h"

namespace tov::machine {

namespace {

// "2024-05-01T12:00:00Z": a UTC time to the second, nothing else.
int64_t ParseUtcTime(const FixtureNode& node) {
  std::string text = node.Word();
  std::tm tm = {};
  int consumed = 0;
  int fields = std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2dZ%n", &tm.tm_year, &tm.tm_mon,
                           &tm.tm_mday, &tm.tm_hour, &tm.tm_min, &tm.tm_sec, &consumed);
  if (fields != 6 || consumed != static_cast<int>(text.size()) || text.size() != 20) {
    node.Fail("expected a time as \"YYYY-MM-DDTHH:MM:SSZ\" or seconds since 1970, found \"" +
              text + "\"");
  }
  std::tm given = tm;
  tm.tm_year -= 1900;
  tm.tm_mon -= 1;
  std::time_t t = timegm(&tm);
  // timegm normalises "02-30" into March; a date that moved did not exist.
  if (tm.tm_year + 1900 != given.tm_year || tm.tm_mon + 1 != given.tm_mon ||
      tm.tm_mday != given.tm_mday || tm.tm_hour != given.tm_hour || tm.tm_min != given.tm_min ||
      tm.tm_sec != given.tm_sec) {
    node.Fail("no such time: \"" + text + "\"");
  }
  return static_cast<int64_t>(t);
}

}  // namespace

uint32_t FixtureCodePage(const FixtureNode& root) {
  auto computer = root.Find("computer");
  if (!computer || !computer->Json().is_object()) return 1252;
  auto page = computer->Find("ansiCodePage");
  if (!page) return 1252;
  uint32_t cp = page->Uint32();
  if (cp != 1252 && cp != CP_UTF8) {
    page->Fail("code page " + std::to_string(cp) + " is not supported (1252 or 65001)");
  }
  return cp;
}

void ParseComputerSection(const FixtureNode& section, Machine& machine) {
  section.AllowOnly({"name", "windowsDirectory", "ansiCodePage", "now"});
  if (auto name = section.Find("name")) machine.ComputerName(name->Text());
  if (auto dir = section.Find("windowsDirectory")) machine.WindowsDirectory(dir->Text());
  if (auto page = section.Find("ansiCodePage")) machine.AnsiCodePage(page->Uint32());
  if (auto now = section.Find("now")) {
    machine.Now(now->Json().is_string() ? ParseUtcTime(*now) : now->Int64());
  }
}

void ParseEnvironmentSection(const FixtureNode& section, Machine& machine) {
  for (const auto& [name, value] : section.Members()) machine.Env(name, value.Text());
}

}  // namespace tov::machine
