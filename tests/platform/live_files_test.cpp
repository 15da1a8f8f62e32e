// Reading files for the live machine: links resolved inside a captured root
// and by the kernel on the host's own root, with the same results; text
// files read line by line in pieces.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/machine/live/live_files.h"
#include "tests/platform/temp_tree.h"

namespace tov::machine::live {
namespace {

using Lines = std::vector<std::pair<std::string, uint64_t>>;

// Every line the reader gives from `from` on, with its offset.
Lines AllLines(LineReader& reader, uint64_t from = 0) {
  Lines lines;
  EXPECT_TRUE(reader.ForEachLine(from, [&](std::string_view line, uint64_t at) {
    lines.emplace_back(std::string(line), at);
    return true;
  }));
  return lines;
}

// The same tree read as a captured root and through the host's own root
// (absolute link targets then name the tree's place on the host).
TEST(LiveFiles, LinksResolveAlikeBelowACapturedRootAndOnTheHost) {
  for (bool host : {false, true}) {
    SCOPED_TRACE(host ? "host root" : "captured root");
    test::TempTree tree;
    std::string at = host ? tree.Root() : "";
    LiveRoot where{host ? "/" : tree.Root()};
    EXPECT_EQ(where.IsHost(), host);
    tree.File("/data/file", "first line\nsecond\n")
        .Link("/data/relative", "file")
        .Link("/data/absolute", at + "/data/file")
        .Link("/linked", "data")
        .Link("/up", "linked/../data/file")
        .Link("/loop", "loop");

    for (const char* path : {"/data/file", "/data/relative", "/data/absolute", "/linked/relative", "/up"}) {
      SCOPED_TRACE(path);
      EXPECT_EQ(ReadFile(where, at + path).value_or("(none)"), "first line\nsecond\n");
      EXPECT_TRUE(IsFile(where, at + path));
      EXPECT_EQ(ReadAttribute(where, at + path), "first line");
    }
    EXPECT_TRUE(IsDirectory(where, at + "/linked"));
    EXPECT_FALSE(IsFile(where, at + "/linked"));
    EXPECT_EQ(ListDirectory(where, at + "/linked"),
              (std::vector<std::string>{"absolute", "file", "relative"}));
    EXPECT_EQ(ReadLink(where, at + "/linked/absolute").value_or("(none)"), at + "/data/file");
    EXPECT_FALSE(ReadLink(where, at + "/data/file").has_value());
    EXPECT_EQ(HostPath(where, at + "/data/file").value_or("(none)"), tree.Root() + "/data/file");

    // A loop, a missing file and a folder read as nothing.
    for (const char* path : {"/loop", "/missing", "/data"}) {
      SCOPED_TRACE(path);
      EXPECT_FALSE(ReadFile(where, at + path).has_value());
      EXPECT_FALSE(IsFile(where, at + path));
      LineReader reader;
      EXPECT_FALSE(reader.Open(where, at + path));
      EXPECT_FALSE(reader.ForEachLine(0, [](std::string_view, uint64_t) { return true; }));
    }
  }
}

TEST(LiveFiles, LinesAndTheirOffsets) {
  const std::string kLong(70000, 'x');  // longer than one piece of reading
  std::string many;
  Lines many_lines;
  for (int i = 0; i < 3000; ++i) {  // about three pieces, lines crossing their edges
    std::string line = "line " + std::to_string(i) + std::string(static_cast<size_t>(i % 90), '.');
    many_lines.emplace_back(line, many.size());
    many += line + "\n";
  }
  struct Case {
    const char* name;
    std::string text;
    Lines lines;
  };
  const Case cases[] = {
      {"lines", "a\nbb\n", {{"a", 0}, {"bb", 2}}},
      {"empty lines and no last line break", "a\n\n\nc", {{"a", 0}, {"", 2}, {"", 3}, {"c", 4}}},
      {"carriage returns are kept", "a\r\nb", {{"a\r", 0}, {"b", 3}}},
      {"empty file", "", {}},
      {"a line longer than a piece", kLong + "\nend\n", {{kLong, 0}, {"end", 70001}}},
      {"many pieces", many, many_lines},
  };
  test::TempTree tree;
  LiveRoot where{tree.Root()};
  LineReader reader;  // one reader for every file, as the package lists are read
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    tree.File("/f", c.text);
    ASSERT_TRUE(reader.OpenIn(where, "/", "f"));
    EXPECT_EQ(AllLines(reader), c.lines);
  }
}

TEST(LiveFiles, ReadingFromAnOffsetAndStoppingEarly) {
  test::TempTree tree;
  tree.File("/ids", "1234  first\n\tentry\n5678  second\n\tother\n").Link("/link", "ids");
  LiveRoot where{tree.Root()};
  LineReader reader;
  ASSERT_TRUE(reader.OpenIn(where, "/", "link"));  // a link is followed
  EXPECT_EQ(AllLines(reader, 19), (Lines{{"5678  second", 19}, {"\tother", 32}}));
  EXPECT_EQ(AllLines(reader, 100), Lines{});  // past the end
  std::vector<std::string> seen;
  EXPECT_TRUE(reader.ForEachLine(0, [&](std::string_view line, uint64_t) {
    seen.emplace_back(line);
    return seen.size() < 2;
  }));
  EXPECT_EQ(seen, (std::vector<std::string>{"1234  first", "\tentry"}));
  // Moved, the reader keeps its file; the one moved from has none.
  LineReader moved = std::move(reader);
  EXPECT_EQ(AllLines(moved, 12), (Lines{{"\tentry", 12}, {"5678  second", 19}, {"\tother", 32}}));
  EXPECT_FALSE(reader.ForEachLine(0, [](std::string_view, uint64_t) { return true; }));  // NOLINT(bugprone-use-after-move)
}

}  // namespace
}  // namespace tov::machine::live
