// Strings: the three length forms at their boundaries, the UTF-16 form on
// load, and lengths that the data cannot hold.
#include <gtest/gtest.h>

#include "tests/report/allocation_probe.h"
#include "tests/report/archive_test_support.h"

namespace {

struct PrefixCase {
  size_t nLength;
  Bytes prefix;
};

const PrefixCase kPrefixes[] = {
    {0, {0x00}},
    {1, {0x01}},
    {254, {0xFE}},
    {255, {0xFF, 0xFF, 0x00}},
    {65533, {0xFF, 0xFD, 0xFF}},
    {65534, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
    {70000, {0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}},
};

TEST(ArchiveString, LengthPrefixFormsAndRoundTrip) {
  for (const PrefixCase& c : kPrefixes) {
    std::string text(c.nLength, 'x');
    for (size_t k = 0; k < text.size(); k += 7) text[k] = static_cast<char>(0x80 + k % 100);
    Bytes bytes = StoreBytes([&](CArchive& ar) { ar << text; });
    EXPECT_EQ(bytes, Cat({c.prefix, Text(text)})) << c.nLength;

    std::string back = "previous contents";
    ULONGLONG end = LoadBytes(bytes, [&](CArchive& ar) { ar >> back; });
    EXPECT_EQ(back, text) << c.nLength;
    EXPECT_EQ(end, bytes.size());
  }
}

// UTF-16LE text of code units.
Bytes Utf16(std::initializer_list<WORD> units) {
  Bytes out;
  for (WORD u : units) out = Cat({out, U16(u)});
  return out;
}

struct WideCase {
  const char* name;
  Bytes stored;
  std::string expected;
};

const Bytes kWide = {0xFF, 0xFE, 0xFF};

TEST(ArchiveString, WideFormIsReadAsAnsiText) {
  std::vector<WideCase> cases = {
      {"empty", Cat({kWide, {0}}), ""},
      {"ascii", Cat({kWide, {2}, Utf16({'h', 'i'})}), "hi"},
      {"latin letters", Cat({kWide, {3}, Utf16({'c', 0xE9, 0xDF})}), "c\xE9\xDF"},
      {"euro sign", Cat({kWide, {2}, Utf16({0x20AC, '5'})}), "\x80" "5"},
      {"16-bit length", Cat({kWide, {0xFF, 0x2C, 0x01}, Bytes(600, 0)}), std::string(300, '\0')},
  };
  ASSERT_EQ(GetACP(), 1252u) << "the expected texts are Windows-1252";
  for (const WideCase& c : cases) {
    // Followed by an 8-bit string, so the wide one must end exactly in place.
    Bytes bytes = Cat({c.stored, {3}, Text("end")});
    std::string text;
    std::string after;
    LoadBytes(bytes, [&](CArchive& ar) { ar >> text >> after; });
    EXPECT_EQ(text, c.expected) << c.name;
    EXPECT_EQ(after, "end") << c.name;
  }
}

struct HostileCase {
  const char* name;
  Bytes stored;
  int cause;
};

TEST(ArchiveString, LengthsTheDataCannotHoldFailBeforeAllocating) {
  const HostileCase cases[] = {
      {"32-bit length", Cat({{0xFF, 0xFF, 0xFF}, U32(0xFFFFFFFE), Text("abc")}),
       CArchiveException::endOfFile},
      {"16-bit length", Cat({{0xFF}, U16(300), Bytes(299, 'a')}), CArchiveException::endOfFile},
      {"wide, bytes beyond 32 bits", Cat({kWide, {0xFF, 0xFF, 0xFF}, U32(0x80000001), Bytes(8, 0)}),
       CArchiveException::endOfFile},
      {"wide, odd bytes left", Cat({kWide, {3}, Bytes(5, 'a')}), CArchiveException::endOfFile},
      {"prefix cut short", {0xFF, 0xFF}, CArchiveException::endOfFile},
      {"wide marker twice", Cat({kWide, kWide, Bytes(8, 0)}), CArchiveException::badIndex},
      {"64-bit length", Cat({{0xFF, 0xFF, 0xFF}, U32(0xFFFFFFFF), Bytes(8, 0)}),
       CArchiveException::badIndex},
  };
  for (const HostileCase& c : cases) {
    AllocationProbe probe;
    std::string text;
    int cause = ArchiveErrorCause([&] { LoadBytes(c.stored, [&](CArchive& ar) { ar >> text; }); });
    EXPECT_EQ(cause, c.cause) << c.name;
    // The archive's own buffer is the largest allocation (which also shows
    // that the probe sees allocations at all).
    EXPECT_EQ(probe.Largest(), CArchive::kDefaultBufferSize) << c.name;
  }
}

}  // namespace
