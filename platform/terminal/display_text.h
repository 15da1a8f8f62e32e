// Texts of windows as a terminal shows them. Private to platform/terminal.
#pragma once

#include <string>

namespace tov::terminal {

/// An 8-bit text of the machine's ANSI code page as UTF-8 for the terminal,
/// with control characters shown as blanks. Without a machine, bytes outside
/// ASCII become '?'.
std::string DisplayText(const std::string& ansi);

/// The first `columns` characters of a UTF-8 text.
std::string FitColumns(const std::string& utf8, int columns);

/// A progress bar of `width` columns for a position in [low, high], with the
/// percentage after it: "[#####.....]  50%". An empty range shows 0%.
std::string ProgressBarText(int low, int high, int position, int width);

}  // namespace tov::terminal
