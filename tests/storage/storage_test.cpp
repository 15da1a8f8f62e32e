// The compound-file operations as the report writer and the reader use them,
// checked on our Linux implementation and on the real API under Wine alike.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "storage_sample.h"

namespace {

using tov::test::SampleStreams;
using tov::test::WriteSample;

const WCHAR* W(const std::u16string& s) { return reinterpret_cast<const WCHAR*>(s.c_str()); }

struct Opened {
  IStorage* storage = nullptr;
  ~Opened() {
    if (storage != nullptr) storage->Release();
  }
};

std::string ReadAll(IStream* stream) {
  std::string out;
  char buf[1000];
  for (;;) {
    ULONG got = 0;
    if (FAILED(stream->Read(buf, sizeof buf, &got)) || got == 0) break;
    out.append(buf, got);
  }
  return out;
}

TEST(Storage, WrittenStreamsReadBackInOrderAndExactly) {
  const std::u16string path = u"storage_roundtrip.dat";
  ASSERT_EQ(WriteSample(path), S_OK);

  Opened file;
  ASSERT_EQ(StgOpenStorage(W(path), nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0, &file.storage), S_OK);

  IEnumSTATSTG* elements = nullptr;
  ASSERT_EQ(file.storage->EnumElements(0, nullptr, 0, &elements), S_OK);
  std::vector<std::u16string> names;
  STATSTG st{};
  ULONG fetched = 0;
  while (elements->Next(1, &st, &fetched) == S_OK && fetched == 1) {
    EXPECT_EQ(st.type, DWORD(STGTY_STREAM));
    names.emplace_back(reinterpret_cast<const char16_t*>(st.pwcsName));
    CoTaskMemFree(st.pwcsName);
  }
  elements->Release();

  std::vector<std::u16string> expected_names;
  for (const auto& s : SampleStreams()) expected_names.push_back(s.name);
  // The directory keeps its own order (by name length, then case-blind name);
  // what matters is that exactly these five streams are there.
  std::sort(names.begin(), names.end());
  std::sort(expected_names.begin(), expected_names.end());
  EXPECT_EQ(names, expected_names);

  for (const auto& s : SampleStreams()) {
    IStream* stream = nullptr;
    ASSERT_EQ(file.storage->OpenStream(W(s.name), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &stream), S_OK);
    STATSTG stat{};
    ASSERT_EQ(stream->Stat(&stat, STATFLAG_NONAME), S_OK);
    EXPECT_EQ(stat.cbSize.QuadPart, s.bytes.size());
    EXPECT_EQ(ReadAll(stream), s.bytes);
    stream->Release();
  }
  std::remove("storage_roundtrip.dat");
}

TEST(Storage, CreateReplacesAnExistingFile) {
  const std::u16string path = u"storage_replace.dat";
  std::FILE* f = std::fopen("storage_replace.dat", "wb");
  ASSERT_NE(f, nullptr);
  std::fputs("not a compound file at all", f);
  std::fclose(f);
  ASSERT_EQ(WriteSample(path), S_OK);
  Opened file;
  EXPECT_EQ(StgOpenStorage(W(path), nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0, &file.storage), S_OK);
  std::remove("storage_replace.dat");
}

TEST(Storage, CreateInAMissingFolderFails) {
  EXPECT_TRUE(FAILED(WriteSample(u"no_such_folder_xyz/report.dat")));
}

TEST(Storage, OpeningSomethingElseFails) {
  std::FILE* f = std::fopen("storage_garbage.dat", "wb");
  ASSERT_NE(f, nullptr);
  for (int i = 0; i < 2048; ++i) std::fputc(i * 7, f);
  std::fclose(f);
  Opened file;
  EXPECT_TRUE(FAILED(StgOpenStorage(W(u"storage_garbage.dat"),
                                    nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0, &file.storage)));
  EXPECT_EQ(file.storage, nullptr);
  std::remove("storage_garbage.dat");
  Opened missing;
  EXPECT_TRUE(FAILED(StgOpenStorage(W(u"storage_missing.dat"), nullptr, STGM_READ | STGM_SHARE_DENY_WRITE,
                                    nullptr, 0, &missing.storage)));
}

TEST(Storage, OpenStreamOfAnUnknownNameFails) {
  ASSERT_EQ(WriteSample(u"storage_names.dat"), S_OK);
  Opened file;
  ASSERT_EQ(StgOpenStorage(W(u"storage_names.dat"), nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0,
                           &file.storage),
            S_OK);
  IStream* stream = nullptr;
  EXPECT_TRUE(FAILED(file.storage->OpenStream(W(u"Nothing"), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &stream)));
  EXPECT_EQ(stream, nullptr);
  std::remove("storage_names.dat");
}

}  // namespace
