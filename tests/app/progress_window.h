// Runs the progress window with a script of the test as its worker, and the
// reads a worker makes of the window's controls (sent messages, handled by
// the window's thread).
#pragma once

#include <functional>
#include <string>

#include "app/progress_dlg.h"

namespace tov::test {

/// Shows a progress window owned by `owner` whose worker thread runs
/// `script` and then posts IDOK, as the collection does. Returns DoModal's result.
INT_PTR RunProgressWindow(std::function<void(CProgressDlg&)> script, HWND owner = nullptr);

std::string ControlText(HWND dialog, int id);
bool ControlEnabled(HWND dialog, int id);
int BarPosition(HWND dialog);
int BarHigh(HWND dialog);

/// The newest dialog with this caption, waited for up to ten seconds; null
/// when none came.
HWND WaitForDialog(const char* caption);

}  // namespace tov::test
