// The pure steps of locating a service's image file and joining its
// dependency list, as tables.
#include <gtest/gtest.h>

#include <string>

#include "services/dependency_list.h"
#include "services/image_path.h"

namespace {

struct StripCase {
  const char* path;
  const char* expected;
};

TEST(StripImageArguments, QuotesAndArgumentsGo) {
  const StripCase cases[] = {
      {"\"C:\\Program Files\\App\\app.exe\" -service", "C:\\Program Files\\App\\app.exe"},
      {"C:\\Program Files\\App\\app.exe", "C:\\Program"},
      {"%SystemRoot%\\system32\\svchost.exe -k netsvcs", "%SystemRoot%\\system32\\svchost.exe"},
      {" C:\\App\\app.exe -x", " C:\\App\\app.exe -x"},  // a blank at the start does not cut
      {"\"\"C:\\App\\app.exe\"", "\"C:\\App\\app.exe\""},  // a closing quote at once does not cut
      {"\"C:\\Program Files\\app.exe", "C:\\Program Files\\app.exe"},  // no closing quote
      {"\"", ""},
      {"C:\\App\\app.exe", "C:\\App\\app.exe"},
      {"", ""},
  };
  for (const StripCase& c : cases) {
    EXPECT_EQ(StripImageArguments(c.path), c.expected) << "path: " << c.path;
  }
}

struct DriverCase {
  const char* path;
  const char* expected;
};

TEST(ResolveDriverImagePath, PrefixesInAnyLetterCase) {
  const DriverCase cases[] = {
      {"\\SystemRoot\\System32\\drivers\\acpi.sys", "C:\\WINDOWS\\System32\\drivers\\acpi.sys"},
      {"\\systemroot\\system32\\drivers\\acpi.sys", "C:\\WINDOWS\\system32\\drivers\\acpi.sys"},
      {"system32\\DRIVERS\\disk.sys", "C:\\WINDOWS\\system32\\DRIVERS\\disk.sys"},
      {"SYSTEM32\\drivers\\disk.sys", "C:\\WINDOWS\\SYSTEM32\\drivers\\disk.sys"},
      {"\\??\\C:\\Tools\\filter.sys", "C:\\Tools\\filter.sys"},
      {"\\??\\c:\\x.sys", "c:\\x.sys"},
      {"C:\\Drivers\\x.sys", "C:\\Drivers\\x.sys"},
      {"System32", "System32"},  // the prefix is "System32\", backslash included
      {"", ""},
  };
  for (const DriverCase& c : cases) {
    EXPECT_EQ(ResolveDriverImagePath(c.path, "C:\\WINDOWS"), c.expected) << "path: " << c.path;
  }
}

TEST(JoinDependencies, LineFeedsBetweenNamesOnly) {
  struct Case {
    std::string list;  // with its NULs
    const char* expected;
  };
  const Case cases[] = {
      {std::string("Tcpip\0Afd\0\0", 11), "Tcpip\nAfd"},
      {std::string("\0", 1), ""},
      {std::string("RpcSs\0\0", 7), "RpcSs"},
      {std::string("+NetworkProvider\0LanmanWorkstation\0\0", 36),
       "+NetworkProvider\nLanmanWorkstation"},
  };
  for (const Case& c : cases) EXPECT_EQ(JoinDependencies(c.list.c_str()), c.expected);
}

}  // namespace
