// The terminal surface: keys, key bindings, the status block, plain lines,
// and the progress window's start on a machine without threads.
#include <signal.h>
#include <unistd.h>

#include <cstdlib>

#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/terminal/dialog_snapshot.h"
#include "platform/terminal/display_text.h"
#include "platform/terminal/interrupt.h"
#include "platform/terminal/key_input.h"
#include "platform/terminal/program_start.h"
#include "platform/terminal/status_view.h"
#include "app/run_settings.h"
#include "devtree/cm_dev_tree.h"
#include "resources/resource.h"
#include "tests/app/program_platform.h"
#include "tests/app/progress_window.h"

namespace tov::terminal {
namespace {

TEST(TerminalKeys, Decode) {
  const struct {
    std::string bytes;
    std::vector<Key> keys;
  } cases[] = {
      {"s", {{Key::kChar, 's'}}},
      {"S", {{Key::kChar, 's'}}},
      {"a\r", {{Key::kChar, 'a'}, {Key::kEnter, 0}}},
      {"\n", {{Key::kEnter, 0}}},
      {"\x1b", {{Key::kEscape, 0}}},
      {"\x1b[A", {}},                          // arrow up
      {"\x1b[15~s", {{Key::kChar, 's'}}},      // F5, then s
      {"\x1bOP", {}},                          // F1
      {"x\x1b", {{Key::kChar, 'x'}, {Key::kEscape, 0}}},
      {"\t -.!", {}},
      {"7", {{Key::kChar, '7'}}},
  };
  for (const auto& c : cases) EXPECT_EQ(DecodeKeys(c.bytes), c.keys) << '"' << c.bytes << '"';
}

TEST(TerminalKeys, MnemonicsAndLabels) {
  const struct {
    const char* text;
    char key;
    const char* label;
  } cases[] = {
      {"&About tov...", 'a', "About tov..."},
      {"Skip", 's', "Skip"},
      {"E&xit", 'x', "Exit"},
      {"Save && &quit", 'q', "Save & quit"},
      {"...", 0, "..."},
      {"&", 0, ""},  // a trailing '&' marks nothing
      {"", 0, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MnemonicOf(c.text), c.key) << c.text;
    EXPECT_EQ(LabelOf(c.text), c.label) << c.text;
  }
}

TEST(TerminalText, ProgressBarAndWidth) {
  EXPECT_EQ(ProgressBarText(0, 4, 1, 8), "[##......]  25%");
  EXPECT_EQ(ProgressBarText(0, 4, 4, 8), "[########] 100%");
  EXPECT_EQ(ProgressBarText(0, 0, 0, 4), "[....]   0%");
  EXPECT_EQ(ProgressBarText(0, 10, 50, 4), "[####] 100%");  // a position past the range is full
  EXPECT_EQ(FitColumns("abcdef", 3), "abc");
  EXPECT_EQ(FitColumns("h\xc3\xa9llo", 2), "h\xc3\xa9");  // characters, not bytes
  EXPECT_EQ(FitColumns("ab", 5), "ab");
  EXPECT_EQ(DisplayText("a\tb\rc"), "a b c");
}

TEST(TerminalBlock, ShowsLinesBarAndTheNewestDialogsKeys) {
  DialogSnapshot progress;
  progress.lines = {"Collecting detailed Device Manager information...", "PCI bus"};
  progress.has_bar = true;
  progress.high = 10;
  progress.position = 5;
  progress.keys = {{{Key::kChar, 's'}, "Skip", nullptr, 0, 0},
                   {{Key::kEnter, 0}, "", nullptr, 0, 0},
                   {{Key::kChar, 'a'}, "About tov...", nullptr, 0, 0}};
  std::vector<std::string> expected = {
      "Collecting detailed Device Manager information...",
      "PCI bus",
      "[" + std::string(25, '#') + std::string(25, '.') + "]  50%",
      "[s] Skip   [a] About tov...",
  };
  EXPECT_EQ(RenderBlock({progress}, true, 80), expected);
  expected.pop_back();
  EXPECT_EQ(RenderBlock({progress}, false, 80), expected);

  DialogSnapshot about;
  about.caption = "About Zeltrack";
  about.nested = true;
  about.lines = {"line one", ""};
  about.keys = {{{Key::kChar, 'o'}, "OK", nullptr, 0, 0}};
  std::vector<std::string> both = RenderBlock({progress, about}, true, 20);
  EXPECT_EQ(both.back(), "[o] OK");
  EXPECT_EQ(both[3], "About Zeltrack");
  EXPECT_EQ(both[4], "  line one");
  for (const std::string& line : both) EXPECT_LE(line.size(), 19u) << line;
}

TEST(TerminalPlainLines, OneLinePerStage) {
  if (isatty(STDERR_FILENO)) GTEST_SKIP() << "stderr is a terminal: the block is drawn instead";
  test::ProgramPlatform platform;
  ::testing::internal::CaptureStderr();
  test::RunProgressWindow([](CProgressDlg& dlg) {
    for (int stage = 0; stage <= 5; ++stage) {
      dlg.OnStage(stage);
      dlg.OnProgress(PROGRESS_RANGE, 2);  // item lines and the bar print nothing
    }
  });
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "Collecting Device Manager information...\n"
            "Collecting Services information...\n"
            "Collecting events from System Events Log...\n"
            "Collecting events from Norvan Events Log...\n"
            "Collecting events from Security Events Log...\n"
            "Collecting detailed Device Manager information...\n");
}

TEST(TerminalWindow, OwnerIsKeptAsGiven) {
  test::ProgramPlatform platform;
  HWND owner = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x1A2B));
  HWND seen = nullptr;
  EXPECT_EQ(test::RunProgressWindow([&](CProgressDlg& dlg) { seen = GetParent(dlg.m_hWnd); }, owner), IDOK);
  EXPECT_EQ(seen, owner);
}

TEST(TerminalWindow, AWorkerThatCannotStartEndsTheWindowWithoutOk) {
  // Without a machine the platform makes no threads (and no events).
  bool ran = false;
  EXPECT_EQ(test::RunProgressWindow([&](CProgressDlg&) { ran = true; }), IDABORT);
  EXPECT_FALSE(ran);
}

// Ctrl-C outside a dialog (the report being written) is held until the end.
TEST(TerminalInterrupt, OutsideADialogItOnlySetsTheExitStatus) {
  EXPECT_EXIT(
      {
        InstallInterruptHandlers();
        raise(SIGINT);
        std::exit(FinalExitStatus(0));
      },
      ::testing::ExitedWithCode(128 + SIGINT), "");
}

// Ctrl-C while the progress window runs ends the program at once.
TEST(TerminalInterrupt, ARunningDialogEndsTheProgramAtOnce) {
  EXPECT_EXIT(
      {
        test::ProgramPlatform platform;
        InstallInterruptHandlers();
        test::RunProgressWindow([](CProgressDlg&) {
          raise(SIGINT);
          Sleep(20000);
        });
        std::exit(0);
      },
      ::testing::ExitedWithCode(128 + SIGINT), "");
}

// Messages sent from another thread reach the dialog's procedure on the
// dialog's thread, in order, and every sender gets its own answer, whether
// the two sides meet while waiting briefly or one of them has gone to sleep:
// a procedure slower than the brief wait puts the sender to sleep, and a
// pause between messages puts the dialog's loop to sleep.
struct SendCase {
  const char* name;
  int answer_ms;  // how long the procedure takes over each message
  int gap_ms;     // how long the sender pauses between messages
};

struct SendState {
  SendCase c;
  std::thread::id dialog_thread;
  std::thread sender;
  std::vector<WPARAM> handled;
  std::vector<LRESULT> answers;
  bool other_thread = false;
};

constexpr int kSends = 40;
constexpr UINT kSentMessage = WM_USER + 100;  // a message of the dialog's own

INT_PTR CALLBACK SendingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<SendState*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG:
      state = reinterpret_cast<SendState*>(lParam);
      SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
      state->dialog_thread = std::this_thread::get_id();
      state->sender = std::thread([hwnd, state] {
        for (int i = 0; i < kSends; ++i) {
          state->answers.push_back(SendMessageA(hwnd, kSentMessage, static_cast<WPARAM>(i), 0));
          if (state->c.gap_ms > 0) Sleep(static_cast<DWORD>(state->c.gap_ms));
        }
        PostMessageA(hwnd, WM_COMMAND, IDOK, 0);
      });
      return TRUE;
    case kSentMessage:
      if (std::this_thread::get_id() != state->dialog_thread) state->other_thread = true;
      if (state->c.answer_ms > 0) Sleep(static_cast<DWORD>(state->c.answer_ms));
      state->handled.push_back(wParam);
      SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, static_cast<LONG_PTR>(wParam * 3 + 1));
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) EndDialog(hwnd, IDOK);
      return TRUE;
    default:
      return FALSE;
  }
}

TEST(TerminalMessages, SentMessagesAreAnsweredWhicheverSideSleeps) {
  const SendCase cases[] = {
      {"both quick", 0, 0},
      {"slow answers: the sender sleeps", 2, 0},
      {"pauses: the loop sleeps", 0, 2},
      {"both", 2, 2},
  };
  test::ProgramPlatform platform;
  for (const SendCase& c : cases) {
    SCOPED_TRACE(c.name);
    SendState state;
    state.c = c;
    INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PROGRESS),
                                     nullptr, SendingProc, reinterpret_cast<LPARAM>(&state));
    if (state.sender.joinable()) state.sender.join();
    EXPECT_EQ(result, IDOK);
    EXPECT_FALSE(state.other_thread);
    ASSERT_EQ(state.handled.size(), static_cast<size_t>(kSends));
    ASSERT_EQ(state.answers.size(), static_cast<size_t>(kSends));
    for (int i = 0; i < kSends; ++i) {
      EXPECT_EQ(state.handled[static_cast<size_t>(i)], static_cast<WPARAM>(i));
      EXPECT_EQ(state.answers[static_cast<size_t>(i)], static_cast<LRESULT>(i * 3 + 1));
    }
  }
}

TEST(TerminalMessages, UsageGoesToStderr) {
  char program[] = "tov";
  char first[] = "a.dat";
  char second[] = "b.dat";
  char* argv[] = {program, first, second, nullptr};
  int saved_argc = __argc;
  char** saved_argv = __argv;
  __argc = 3;
  __argv = argv;
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(ParseOptions());
  std::string out = ::testing::internal::GetCapturedStderr();
  __argc = saved_argc;
  __argv = saved_argv;
  EXPECT_EQ(out.rfind("Usage: tov [/hwnd:<parentwnd>] [/sdm] [/sdd] [/ssr] [/sse] [/see] [/sce] <filename>\n\nWhere:\n", 0), 0u) << out;
  EXPECT_NE(out.find("\n/sce - skip Security event log\n"), std::string::npos) << out;
}

}  // namespace
}  // namespace tov::terminal
