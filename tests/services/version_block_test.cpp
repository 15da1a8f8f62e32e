// The version block reader of the Linux platform layer: against a block the
// resource compiler made, against blocks the machine builder makes, against
// damaged blocks; and the version operations built on it.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/machine/current_machine.h"
#include "platform/machine/machine.h"
#include "platform/machine/version_resource.h"
#include "platform/posix/src/version_block.h"
#include "win32_api.h"

namespace {

using tov::machine::Machine;
using tov::machine::ScopedMachine;
using tov::machine::VersionResource;
using tov::posix::FindVersionValue;
using tov::posix::VersionBlockLength;
using Block = std::vector<uint8_t>;

uint32_t Dword(const uint8_t* p) {
  uint32_t value;
  std::memcpy(&value, p, sizeof value);
  return value;
}

uint16_t Word(const uint8_t* p) {
  uint16_t value;
  std::memcpy(&value, p, sizeof value);
  return value;
}

// The text value at `path`, its UTF-16 units taken as ASCII up to the NUL.
std::string TextAt(const Block& block, const char* path) {
  auto value = FindVersionValue(block.data(), block.size(), path);
  if (!value || !value->text) return "<none>";
  std::string text;
  for (size_t i = 0; i + 1 < value->size; i += 2) {
    uint16_t unit = Word(block.data() + value->offset + i);
    if (unit == 0) break;
    text += static_cast<char>(unit);
  }
  return text;
}

// The VERSIONINFO resource of a compiled resource file: entries of a data
// size, a header size, the type (0xFFFF then its number), ..., each padded to
// 32 bits.
Block VersionResourceOfResFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  Block res((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (size_t at = 0; at + 12 <= res.size();) {
    uint32_t data_size = Dword(&res[at]);
    uint32_t header_size = Dword(&res[at + 4]);
    if (Word(&res[at + 8]) == 0xFFFF && Word(&res[at + 10]) == 16) {
      return Block(res.begin() + at + header_size, res.begin() + at + header_size + data_size);
    }
    at = (at + header_size + data_size + 3) & ~size_t{3};
  }
  return {};
}

TEST(VersionBlock, ReadsWhatTheResourceCompilerWrote) {
  const Block block = VersionResourceOfResFile(TOV_VERSION_SAMPLE_RES);
  ASSERT_FALSE(block.empty()) << "no version resource in " << TOV_VERSION_SAMPLE_RES;
  EXPECT_EQ(VersionBlockLength(block.data(), block.size()), block.size());

  auto fixed = FindVersionValue(block.data(), block.size(), "\\");
  ASSERT_TRUE(fixed);
  ASSERT_EQ(fixed->size, sizeof(VS_FIXEDFILEINFO));
  VS_FIXEDFILEINFO info;
  std::memcpy(&info, block.data() + fixed->offset, sizeof info);
  EXPECT_EQ(info.dwSignature, static_cast<DWORD>(VS_FFI_SIGNATURE));
  EXPECT_EQ(info.dwFileVersionMS, 0x00060001u);
  EXPECT_EQ(info.dwFileVersionLS, (7601u << 16) | 17514u);

  auto translation = FindVersionValue(block.data(), block.size(), "\\VarFileInfo\\Translation");
  ASSERT_TRUE(translation);
  EXPECT_FALSE(translation->text);
  EXPECT_EQ(Block(block.begin() + translation->offset,
                  block.begin() + translation->offset + translation->size),
            (Block{0x07, 0x04, 0xE4, 0x04}));

  // The table is called "040704E4" in the resource; lookups ignore case.
  EXPECT_EQ(TextAt(block, "\\StringFileInfo\\040704e4\\CompanyName"), "Beispiel GmbH");
  EXPECT_EQ(TextAt(block, "\\StringFileInfo\\040704e4\\FileVersion"), "6.1.7601.17514");
  EXPECT_EQ(TextAt(block, "\\StringFileInfo\\040704E4\\comments"), "");
  EXPECT_EQ(TextAt(block, "\\StringFileInfo\\040904b0\\CompanyName"), "<none>");
}

TEST(VersionBlock, BuiltBlocksReadBack) {
  const Block block = VersionResource()
                          .FileVersion(1, 2, 3, 4)
                          .Translation(0x0409, 0x04B0)
                          .Translation(0x0407, 0x04E4)
                          .String("040904b0", "FileVersion", "1.2.3.4")
                          .String("040904b0", "ProductName", "Odd length")
                          .String("040704e4", "FileVersion", "eins")
                          .Build();
  struct Case {
    const char* path;
    const char* text;
  };
  const Case cases[] = {
      {"\\StringFileInfo\\040904b0\\FileVersion", "1.2.3.4"},
      {"\\StringFileInfo\\040904b0\\ProductName", "Odd length"},
      {"\\StringFileInfo\\040704e4\\FileVersion", "eins"},
      {"\\\\StringFileInfo\\\\040704E4\\FILEVERSION", "eins"},  // doubled separators, any case
      {"\\StringFileInfo\\040704e4\\ProductName", "<none>"},
      {"\\StringFileInfo\\040904b0\\FileVersion\\More", "<none>"},
      {"\\StringFileInfo\\0409", "<none>"},
  };
  for (const Case& c : cases) EXPECT_EQ(TextAt(block, c.path), c.text) << c.path;
  auto translation = FindVersionValue(block.data(), block.size(), "\\VarFileInfo\\Translation");
  ASSERT_TRUE(translation);
  EXPECT_EQ(translation->size, 8u);
  auto fixed = FindVersionValue(block.data(), block.size(), "\\");
  ASSERT_TRUE(fixed);
  EXPECT_EQ(Dword(block.data() + fixed->offset + 8), 0x00010002u);
}

TEST(VersionBlock, BlockWithoutFixedPartOrTranslationTable) {
  const Block block = VersionResource().NoFixedInfo().Build();
  EXPECT_EQ(VersionBlockLength(block.data(), block.size()), block.size());
  EXPECT_FALSE(FindVersionValue(block.data(), block.size(), "\\"));
  EXPECT_FALSE(FindVersionValue(block.data(), block.size(), "\\VarFileInfo\\Translation"));
}

TEST(VersionBlock, DamagedBlocksNeverReadOutsideThemselves) {
  const Block good = VersionResource()
                         .Translation(0x0409, 0x04B0)
                         .String("040904b0", "FileVersion", "1.0")
                         .String("040904b0", "CompanyName", "Company")
                         .Build();
  const char* paths[] = {"\\", "\\VarFileInfo\\Translation",
                         "\\StringFileInfo\\040904b0\\CompanyName"};
  auto check = [&](const Block& block, const std::string& what) {
    VersionBlockLength(block.data(), block.size());
    for (const char* path : paths) {
      auto value = FindVersionValue(block.data(), block.size(), path);
      if (value) {
        EXPECT_LE(value->offset + value->size, block.size()) << what << " " << path;
      }
    }
  };
  // Cut short, each length: lengths then point past the end.
  for (size_t n = 0; n < good.size(); ++n) {
    check(Block(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n)), "cut");
    EXPECT_EQ(VersionBlockLength(good.data(), n), 0u) << n;
  }
  // Each byte set to 0x00 and to 0xFF in turn (lengths, keys, terminators).
  for (size_t i = 0; i < good.size(); ++i) {
    for (uint8_t byte : {0x00, 0xFF}) {
      Block damaged = good;
      damaged[i] = byte;
      check(damaged, "byte " + std::to_string(i));
    }
  }
}

class VersionApi : public ::testing::Test {
 protected:
  static constexpr const char* kFile = "C:\\WINDOWS\\System32\\x.dll";
  VersionApi() {
    m_.File(kFile).VersionBlock(VersionResource()
                                    .FileVersion(5, 1, 2600, 0)
                                    .Translation(0x0409, 0x04B0)
                                    .String("040904b0", "FileVersion", "5.1.2600.0")
                                    .String("040904b0", "LegalCopyright", "\xC2\xA9 Example")
                                    .Build());
    m_.File("C:\\plain.txt");
  }
  Machine m_;
  ScopedMachine use_{m_};
};

TEST_F(VersionApi, SizeAndCopy) {
  DWORD handle = 7;
  DWORD size = GetFileVersionInfoSizeA(kFile, &handle);
  EXPECT_EQ(handle, 0u);
  const Block& block = m_.Files().Find(kFile)->VersionBlock();
  EXPECT_EQ(size, 2 * block.size());
  std::vector<BYTE> buffer(size);
  EXPECT_FALSE(GetFileVersionInfoA(kFile, 0, size - 1, buffer.data()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  ASSERT_TRUE(GetFileVersionInfoA(kFile, 0, size, buffer.data()));
  EXPECT_TRUE(std::equal(block.begin(), block.end(), buffer.begin()));

  EXPECT_EQ(GetFileVersionInfoSizeA("C:\\missing.dll", nullptr), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(GetFileVersionInfoSizeA("C:\\plain.txt", nullptr), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));
}

TEST_F(VersionApi, QueriesGiveValuesThatStayValidTogether) {
  std::vector<BYTE> buffer(GetFileVersionInfoSizeA(kFile, nullptr));
  ASSERT_TRUE(GetFileVersionInfoA(kFile, 0, static_cast<DWORD>(buffer.size()), buffer.data()));
  auto query = [&](const char* path, UINT& length) -> const BYTE* {
    LPVOID value = nullptr;
    return VerQueryValueA(buffer.data(), path, &value, &length) ? static_cast<const BYTE*>(value)
                                                                : nullptr;
  };
  UINT length = 0;
  const BYTE* fixed = query("\\", length);
  ASSERT_NE(fixed, nullptr);
  EXPECT_EQ(length, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(Dword(fixed), static_cast<DWORD>(VS_FFI_SIGNATURE));
  const BYTE* translation = query("\\VarFileInfo\\Translation", length);
  ASSERT_NE(translation, nullptr);
  EXPECT_EQ(length, 4u);
  EXPECT_EQ(Word(translation), 0x0409);
  EXPECT_EQ(Word(translation + 2), 0x04B0);

  const char* version = reinterpret_cast<const char*>(
      query("\\StringFileInfo\\040904b0\\FileVersion", length));
  ASSERT_NE(version, nullptr);
  EXPECT_EQ(length, 11u);  // characters with the NUL
  const char* copyright = reinterpret_cast<const char*>(
      query("\\StringFileInfo\\040904B0\\LegalCopyright", length));
  ASSERT_NE(copyright, nullptr);
  // Both texts lie in the caller's buffer and neither overwrote the other.
  for (const char* text : {version, copyright}) {
    EXPECT_GE(reinterpret_cast<const BYTE*>(text), buffer.data());
    EXPECT_LT(reinterpret_cast<const BYTE*>(text), buffer.data() + buffer.size());
  }
  EXPECT_STREQ(version, "5.1.2600.0");
  EXPECT_STREQ(copyright, "\xA9 Example");
  EXPECT_EQ(query("\\StringFileInfo\\040904b0\\Comments", length), nullptr);
}

}  // namespace
