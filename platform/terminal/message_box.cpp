// A message box on a terminal is its text on stderr; there is nobody to
// press a button, so it is answered with OK.
#include <cstdio>
#include <sstream>
#include <string>

#include "platform/terminal/display_text.h"
#include "platform/terminal/status_view.h"
#include "win32_api.h"

int MessageBoxA(HWND, LPCSTR lpText, LPCSTR lpCaption, UINT) {
  std::istringstream in(lpText != nullptr ? lpText : "");
  std::string line;
  std::string out;
  bool first = true;
  while (std::getline(in, line)) {
    if (first && lpCaption != nullptr && *lpCaption != '\0') {
      out += tov::terminal::DisplayText(lpCaption) + ": ";
    }
    out += tov::terminal::DisplayText(line) + "\n";
    first = false;
  }
  // The text goes below the dialogs' block, which is drawn again under it.
  tov::terminal::StatusView::Instance().Clear();
  std::fputs(out.c_str(), stderr);
  std::fflush(stderr);
  return IDOK;
}
