// The dialogs on stderr. On a terminal: a block of lines redrawn in place,
// for each open dialog its static texts and progress bar, and the keys of the
// newest one. Otherwise: one plain line each time a dialog's first text line
// changes to a new text. Private to platform/terminal.
#pragma once

#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "platform/terminal/dialog_snapshot.h"

namespace tov::terminal {

/// The lines of the block for a terminal `columns` wide; the key line is
/// added when keys can be read.
std::vector<std::string> RenderBlock(const std::vector<DialogSnapshot>& dialogs, bool keys,
                                     int columns);

class StatusView {
 public:
  static StatusView& Instance();

  /// Shows the dialogs; on a terminal at most every kRedrawInterval, so a
  /// quick series of changes is drawn once.
  void Show(const std::vector<DialogSnapshot>& dialogs, bool keys);
  /// Milliseconds until a change held back by the interval is due; -1: none.
  int MillisecondsUntilDue() const;
  /// Erases the block when the last dialog has ended.
  void Clear();
  /// Leaves the block as it is and moves below it, before the process ends.
  void Abandon();

  static constexpr std::chrono::milliseconds kRedrawInterval{80};

 private:
  StatusView();
  void Draw(const std::vector<std::string>& lines);

  bool terminal_;
  std::vector<std::string> drawn_;   // the block on screen
  std::vector<std::string> wanted_;  // the block to draw when due
  bool cursor_hidden_ = false;
  std::chrono::steady_clock::time_point last_draw_{};
  std::map<HWND, std::string> headlines_;  // plain mode: last line printed per dialog
};

}  // namespace tov::terminal
