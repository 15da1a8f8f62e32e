#include "tests/app/progress_window.h"

#include "app/framework/win_app.h"
#include "resources/resource.h"

namespace tov::test {

namespace {

std::function<void(CProgressDlg&)> g_script;

DWORD WINAPI RunScript(LPVOID pParam) {
  auto& dlg = *static_cast<CProgressDlg*>(pParam);
  g_script(dlg);
  PostMessageA(dlg.m_hWnd, WM_COMMAND, IDOK, 0);
  return 0;
}

}  // namespace

INT_PTR RunProgressWindow(std::function<void(CProgressDlg&)> script, HWND owner) {
  g_script = std::move(script);
  // As in the program, the progress window is the application's main window,
  // which owns the About box.
  CWinApp app;
  CProgressDlg dlg(owner, RunScript);
  app.m_pMainWnd = &dlg;
  return dlg.DoModal();
}

std::string ControlText(HWND dialog, int id) {
  char text[512] = {};
  GetDlgItemTextA(dialog, id, text, sizeof text);
  return text;
}

bool ControlEnabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

int BarPosition(HWND dialog) {
  return static_cast<int>(SendMessageA(GetDlgItem(dialog, IDC_PROGRESS), PBM_GETPOS, 0, 0));
}

int BarHigh(HWND dialog) {
  return static_cast<int>(SendMessageA(GetDlgItem(dialog, IDC_PROGRESS), PBM_GETRANGE, FALSE, 0));
}

HWND WaitForDialog(const char* caption) {
  for (int waited = 0; waited < 10000; waited += 20) {
    HWND found = FindWindowA("#32770", caption);
    if (found != nullptr) return found;
    Sleep(20);
  }
  return nullptr;
}

}  // namespace tov::test
