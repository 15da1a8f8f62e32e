// CSCMFileVerInfo::Load over files of a machine: which files give a record,
// which string table is read, and which value lands in which member.
#include <gtest/gtest.h>

#include <string>

#include "platform/machine/current_machine.h"
#include "platform/machine/machine.h"
#include "platform/machine/version_resource.h"
#include "services/scm_file_ver_info.h"
#include "win32_api.h"

namespace {

using tov::machine::Machine;
using tov::machine::ScopedMachine;
using tov::machine::VersionResource;

constexpr const char* kFile = "C:\\WINDOWS\\System32\\x.dll";

TEST(FileVerInfoLoad, FilesWithoutARecord) {
  Machine m;
  m.File("C:\\plain.exe");
  m.File("C:\\broken.exe").VersionBlock({0x01, 0x02, 0x03});
  ScopedMachine use(m);
  for (const char* path : {"C:\\missing.exe", "C:\\plain.exe", "C:\\broken.exe", ""}) {
    CSCMFileVerInfo info;
    EXPECT_FALSE(info.Load(path)) << path;
  }
}

TEST(FileVerInfoLoad, EveryValueGoesToItsMember) {
  const std::pair<const char*, std::string CSCMFileVerInfo::*> values[] = {
      {"FileVersion", &CSCMFileVerInfo::m_strFileVersion},
      {"FileDescription", &CSCMFileVerInfo::m_strFileDescription},
      {"LegalCopyright", &CSCMFileVerInfo::m_strLegalCopyright},
      {"CompanyName", &CSCMFileVerInfo::m_strCompanyName},
      {"InternalName", &CSCMFileVerInfo::m_strInternalName},
      {"OriginalFilename", &CSCMFileVerInfo::m_strOriginalFilename},
      {"ProductName", &CSCMFileVerInfo::m_strProductName},
      {"ProductVersion", &CSCMFileVerInfo::m_strProductVersion},
      {"Comments", &CSCMFileVerInfo::m_strComments},
      {"LegalTrademarks", &CSCMFileVerInfo::m_strLegalTrademarks},
      {"PrivateBuild", &CSCMFileVerInfo::m_strPrivateBuild},
      {"SpecialBuild", &CSCMFileVerInfo::m_strSpecialBuild},
  };
  VersionResource resource;
  resource.Translation(0x0409, 0x04B0);
  for (const auto& [name, member] : values) {
    resource.String("040904b0", name, std::string(name) + " value");
  }
  Machine m;
  m.File(kFile).VersionBlock(resource.Build());
  ScopedMachine use(m);
  CSCMFileVerInfo info;
  ASSERT_TRUE(info.Load(kFile));
  EXPECT_EQ(info.m_strFileName, kFile);
  for (const auto& [name, member] : values) {
    EXPECT_EQ(info.*member, std::string(name) + " value");
  }
}

TEST(FileVerInfoLoad, StringTableChosenByTheTranslationTable) {
  struct Case {
    const char* what;
    VersionResource resource;
    const char* expected;  // FileVersion read
  };
  // Each resource offers tables for both the default and the named language;
  // the value read tells which one was asked for.
  auto both = [](VersionResource r) {
    return r.String("040904b0", "FileVersion", "default").String("040704e4", "FileVersion", "german");
  };
  const Case cases[] = {
      {"no translation table: 0409 with 04b0", both(VersionResource()), "default"},
      {"0407 with 04e4, asked in lower case", both(VersionResource().Translation(0x0407, 0x04E4)),
       "german"},
      {"first pair wins", both(VersionResource().Translation(0x0407, 0x04E4).Translation(0x0409, 0x04B0)),
       "german"},
      {"table shorter than a pair", both(VersionResource().TranslationBytes({0x07, 0x04})), "default"},
      {"named table missing: values stay empty", VersionResource().Translation(0x0407, 0x04E4)
           .String("040904b0", "FileVersion", "default"), ""},
  };
  for (const Case& c : cases) {
    Machine m;
    m.File(kFile).VersionBlock(c.resource.Build());
    ScopedMachine use(m);
    CSCMFileVerInfo info;
    EXPECT_TRUE(info.Load(kFile)) << c.what;
    EXPECT_EQ(info.m_strFileVersion, c.expected) << c.what;
  }
}

TEST(FileVerInfoLoad, TextsComeInTheMachinesCodePage) {
  Machine m;
  m.File(kFile).VersionBlock(VersionResource()
                                 .String("040904b0", "LegalCopyright", "\xC2\xA9 Example Corp")
                                 .String("040904b0", "Comments", "")
                                 .Build());
  ScopedMachine use(m);
  CSCMFileVerInfo info;
  ASSERT_TRUE(info.Load(kFile));
  EXPECT_EQ(info.m_strLegalCopyright, "\xA9 Example Corp");  // Windows-1252
  EXPECT_EQ(info.m_strComments, "");
  EXPECT_EQ(info.m_strProductName, "");
}

}  // namespace
