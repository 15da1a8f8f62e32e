#include "platform/terminal/status_view.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/terminal/display_text.h"

namespace tov::terminal {

namespace {

int TerminalColumns() {
  winsize size{};
  if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return 80;
}

bool StderrIsTerminal() {
  const char* term = std::getenv("TERM");
  return isatty(STDERR_FILENO) == 1 && !(term != nullptr && std::strcmp(term, "dumb") == 0);
}

void Write(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

}  // namespace

std::vector<std::string> RenderBlock(const std::vector<DialogSnapshot>& dialogs, bool keys,
                                     int columns) {
  // Lines stay one column short of the width, so none wraps and the block
  // keeps the height the redraw counts on.
  int width = columns > 1 ? columns - 1 : 1;
  std::vector<std::string> out;
  for (const DialogSnapshot& dialog : dialogs) {
    std::string indent = dialog.nested ? "  " : "";
    if (dialog.nested) out.push_back(FitColumns(dialog.caption, width));
    for (const std::string& line : dialog.lines) out.push_back(FitColumns(indent + line, width));
    if (dialog.has_bar) {
      int bar = std::max(10, std::min(50, width - 8 - static_cast<int>(indent.size())));
      out.push_back(FitColumns(indent + ProgressBarText(dialog.low, dialog.high, dialog.position, bar), width));
    }
  }
  if (keys && !dialogs.empty()) {
    std::string line;
    for (const KeyBinding& binding : dialogs.back().keys) {
      if (binding.label.empty()) continue;
      if (!line.empty()) line += "   ";
      line += std::string("[") + binding.key.ch + "] " + binding.label;
    }
    if (!line.empty()) out.push_back(FitColumns(line, width));
  }
  return out;
}

StatusView& StatusView::Instance() {
  static StatusView view;
  return view;
}

StatusView::StatusView() : terminal_(StderrIsTerminal()) {}

void StatusView::Show(const std::vector<DialogSnapshot>& dialogs, bool keys) {
  if (!terminal_) {
    for (const DialogSnapshot& dialog : dialogs) {
      if (dialog.lines.empty()) continue;
      const std::string& headline = dialog.lines.front();
      std::string& printed = headlines_[dialog.handle];
      if (headline.empty() || headline == printed) continue;
      Write(headline + "\n");
      printed = headline;
    }
    return;
  }
  wanted_ = RenderBlock(dialogs, keys, TerminalColumns());
  if (MillisecondsUntilDue() == 0) Draw(wanted_);
}

int StatusView::MillisecondsUntilDue() const {
  if (!terminal_ || wanted_ == drawn_) return -1;
  auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(
      last_draw_ + kRedrawInterval - std::chrono::steady_clock::now());
  return wait.count() > 0 ? static_cast<int>(wait.count()) : 0;
}

void StatusView::Draw(const std::vector<std::string>& lines) {
  std::string out;
  if (!cursor_hidden_) out += "\x1b[?25l";
  cursor_hidden_ = true;
  if (!drawn_.empty()) out += "\r\x1b[" + std::to_string(drawn_.size()) + "A";
  out += "\x1b[J";
  for (const std::string& line : lines) out += line + "\n";
  Write(out);
  drawn_ = lines;
  last_draw_ = std::chrono::steady_clock::now();
}

void StatusView::Clear() {
  headlines_.clear();
  wanted_.clear();
  if (!terminal_ || (drawn_.empty() && !cursor_hidden_)) return;
  Draw({});
  Write("\x1b[?25h");
  cursor_hidden_ = false;
}

void StatusView::Abandon() {
  if (terminal_ && cursor_hidden_) Write("\x1b[?25h");
  cursor_hidden_ = false;
}

}  // namespace tov::terminal
