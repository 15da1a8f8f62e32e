// The About box's text from a file's version resource: translations in
// stored order, values left out when missing or empty, and the empty text
// when the resource cannot be read. Linux only: the files are the machine
// model's.
#include <string>

#include <gtest/gtest.h>

#include "app/about_dlg.h"
#include "platform/machine/current_machine.h"
#include "platform/machine/version_resource.h"

namespace tov::test {
namespace {

using machine::VersionResource;

constexpr const char* kPath = "C:\\Program Files\\tov\\tov.exe";

std::string TextOf(const VersionResource& resource) {
  machine::Machine m;
  m.File(kPath).VersionBlock(resource.Build());
  machine::ScopedMachine use(m);
  return CAboutDlg::VersionTextOfFile(kPath);
}

VersionResource Full(const char* table, const char* description, const char* version) {
  VersionResource r;
  r.String(table, "FileDescription", description)
      .String(table, "ProductVersion", version)
      .String(table, "ProductName", "")
      .String(table, "LegalCopyright", "(C) Example");
  return r;
}

TEST(VersionText, OneTranslation) {
  VersionResource r = Full("040904b0", "Snapshot tool", "1.1.01.0");
  r.Translation(0x0409, 0x04B0);
  // ProductName is empty, so it is left out with its two line feeds.
  EXPECT_EQ(TextOf(r), "Snapshot tool\n1.1.01.0\n\n(C) Example");
}

TEST(VersionText, TwoTranslationsInStoredOrder) {
  VersionResource r;
  r.Translation(0x0407, 0x04E4).Translation(0x0409, 0x04B0);
  r.String("040704e4", "FileDescription", "Werkzeug").String("040704e4", "ProductVersion", "2.0");
  r.String("040904b0", "FileDescription", "Tool")
      .String("040904b0", "ProductVersion", "2.0")
      .String("040904b0", "ProductName", "Suite");
  EXPECT_EQ(TextOf(r), "Werkzeug\n2.0Tool\n2.0\n\nSuite");
}

TEST(VersionText, MissingDescriptionKeepsTheFirstLineFeed) {
  VersionResource r;
  r.Translation(0x0409, 0x04B0).String("040904b0", "ProductVersion", "3.1");
  EXPECT_EQ(TextOf(r), "\n3.1");
}

TEST(VersionText, AnUnreadableResourceGivesTheEmptyText) {
  VersionResource short_translation = Full("040904b0", "Tool", "1.0");
  short_translation.TranslationBytes({0x09, 0x04});
  EXPECT_EQ(TextOf(short_translation), "");

  VersionResource no_translation = Full("040904b0", "Tool", "1.0");
  EXPECT_EQ(TextOf(no_translation), "");

  VersionResource no_fixed_part = Full("040904b0", "Tool", "1.0");
  no_fixed_part.Translation(0x0409, 0x04B0).NoFixedInfo();
  EXPECT_EQ(TextOf(no_fixed_part), "");

  machine::Machine m;
  machine::ScopedMachine use(m);
  EXPECT_EQ(CAboutDlg::VersionTextOfFile(kPath), "");  // no such file
}

}  // namespace
}  // namespace tov::test
