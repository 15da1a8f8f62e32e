// A generated table of command lines: thousands of argument vectors built
// from pieces whose effect is known (skip options in any case and with any
// value, ignored options, /hwnd values accepted or not, file names from empty
// to past the buffer), run through ParseOptions. Each line is checked against
// the settings its pieces call for, and against the properties every line
// must keep (command_line_properties.h). Linux only: it reads the usage
// message back from standard error.
#include <cctype>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/command_line.h"
#include "tests/app/command_line_properties.h"

namespace tov::test {
namespace {

enum class PieceKind { kSkip, kIgnored, kHwnd, kFile };

struct Piece {
  std::string text;
  PieceKind kind;
  DWORD value;  // the flag of a skip option; the handle a /hwnd gives, 0 when refused
};

struct HwndValue {
  const char* text;
  DWORD handle;  // 0: refused, the handle before stays
};

const HwndValue kHwndValues[] = {
    {"1A2B", 0x1A2B}, {"0x10", 0x10},   {"0X7f", 0x7F},      {"  7", 7},       {"+7", 7},
    {"-2", 0xFFFFFFFE}, {"0000000000001", 1}, {"FFFFFFFE", 0xFFFFFFFE}, {"0", 0}, {"FFFFFFFF", 0},
    {"-1", 0},        {"12G", 0},       {"", 0},             {"100000000", 0}, {"1a2b:5", 0},
    {"0x", 0},        {"1a2b ", 0},     {"x1", 0},
};

const struct {
  const char* name;
  DWORD flag;
} kSkips[] = {{"sdm", 0x01}, {"sdd", 0x10}, {"ssr", 0x02}, {"sse", 0x04}, {"see", 0x08}, {"sce", 0x48}};

const char* const kIgnored[] = {"/",     "-",     "/verbose", "-x:1", "/sdmx", "/sd",
                                "-:sdm", "/ sdm", "/hwnd2:5", "//sdm", "--sdm", "/sdm :1"};

const char* const kValueSuffixes[] = {"", ":", ":yes", ":0", "::", ":/sdm"};

class LineGenerator {
 public:
  explicit LineGenerator(unsigned seed) : random_(seed) {}

  // Up to six options, and mostly one file name among them (sometimes none,
  // sometimes two) at any place.
  std::vector<Piece> Line() {
    std::vector<Piece> pieces(Pick(7));
    for (Piece& p : pieces) p = NextOption();
    size_t nFiles = Pick(10);
    nFiles = nFiles == 0 ? 0 : nFiles == 1 ? 2 : 1;
    for (size_t i = 0; i < nFiles; ++i) {
      pieces.insert(pieces.begin() + static_cast<long>(Pick(pieces.size() + 1)),
                    Piece{FileName(), PieceKind::kFile, 0});
    }
    return pieces;
  }

 private:
  size_t Pick(size_t n) { return static_cast<size_t>(random_() % n); }
  char Prefix() { return Pick(2) == 0 ? '/' : '-'; }
  std::string AnyCase(const std::string& name) {
    std::string out = name;
    for (char& c : out) {
      if (Pick(2) == 0) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return out;
  }

  Piece NextOption() {
    switch (Pick(4)) {
      case 0:
      case 1: {
        const auto& skip = kSkips[Pick(std::size(kSkips))];
        return {Prefix() + AnyCase(skip.name) + kValueSuffixes[Pick(std::size(kValueSuffixes))],
                PieceKind::kSkip, skip.flag};
      }
      case 2:
        return {kIgnored[Pick(std::size(kIgnored))], PieceKind::kIgnored, 0};
      default: {
        if (Pick(10) == 0) return {Prefix() + AnyCase("hwnd"), PieceKind::kHwnd, 0};  // no value
        const HwndValue& v = kHwndValues[Pick(std::size(kHwndValues))];
        return {Prefix() + AnyCase("hwnd") + ":" + v.text, PieceKind::kHwnd, v.handle};
      }
    }
  }

  std::string FileName() {
    switch (Pick(10)) {
      case 0: return "";
      case 1: return std::string(MAX_PATH - 1, 'n');  // fits with its terminator
      case 2: return std::string(MAX_PATH, 'n');      // does not
      case 3: return std::string(4000, 'n');
      case 4: return "C:\\my dir\\r.dat";
      case 5: return "a b:c.dat";
      case 6: return "./r.dat";
      case 7: return "\xe9t\xe9.dat";
      case 8: return "x";
      default: return "report" + std::to_string(Pick(1000)) + ".dat";
    }
  }

  std::mt19937 random_;
};

// The settings a line's pieces call for: each option ORs in its flag or sets
// the handle when its value is accepted; the first file name is kept (an
// empty one names none); a second name or one too long for the buffer ends
// the line with the usage message.
ParsedOptions Expected(const std::vector<Piece>& pieces) {
  ParsedOptions e;
  bool bHaveFile = false;
  for (const Piece& p : pieces) {
    switch (p.kind) {
      case PieceKind::kSkip:
        e.dwOptions |= p.value;
        break;
      case PieceKind::kHwnd:
        if (p.value != 0) e.hwndParent = p.value;
        break;
      case PieceKind::kIgnored:
        break;
      case PieceKind::kFile:
        if (bHaveFile || p.text.size() >= MAX_PATH) return ParsedOptions{FALSE, "", 0, 0, true};
        e.strReportFile = p.text;
        bHaveFile = !p.text.empty();
        break;
    }
  }
  if (!bHaveFile) return ParsedOptions{FALSE, "", 0, 0, true};
  e.bResult = TRUE;
  return e;
}

std::string Shown(const std::vector<Piece>& pieces) {
  std::string out = "tov";
  for (const Piece& p : pieces) out += " \"" + (p.text.size() > 40 ? p.text.substr(0, 20) + "...(" + std::to_string(p.text.size()) + ")" : p.text) + "\"";
  return out;
}

TEST(CommandLineTable, GeneratedLines) {
  constexpr int kLines = 4000;
  LineGenerator generator(20261211);
  int nAccepted = 0;
  for (int i = 0; i < kLines; ++i) {
    std::vector<Piece> pieces = generator.Line();
    std::vector<std::string> args;
    for (const Piece& p : pieces) args.push_back(p.text);
    ParsedOptions got;
    std::string violation = CheckParseOptions(args, &got);
    ParsedOptions want = Expected(pieces);
    EXPECT_EQ(violation, "") << Shown(pieces);
    EXPECT_EQ(got.bResult, want.bResult) << Shown(pieces);
    EXPECT_EQ(got.strReportFile, want.strReportFile) << Shown(pieces);
    EXPECT_EQ(got.hwndParent, want.hwndParent) << Shown(pieces);
    EXPECT_EQ(got.dwOptions, want.dwOptions) << Shown(pieces);
    if (got.bResult) ++nAccepted;
    if (HasFailure()) break;
  }
  // The generator reaches both outcomes often, not just by luck.
  EXPECT_GT(nAccepted, kLines / 5);
  EXPECT_LT(nAccepted, kLines * 4 / 5);
}

}  // namespace
}  // namespace tov::test
