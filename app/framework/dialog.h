/// The dialog base: a modal dialog of a dialog resource, whose messages reach
/// the virtual handlers below. On Windows the dialog is the platform's; on
/// Linux the terminal surface shows it. The same code drives both.
#pragma once

#include "win32_api.h"

class CDialog {
 public:
  /// A dialog of template nIDTemplate owned by hWndParent; without an owner
  /// the application's main window owns it.
  explicit CDialog(UINT nIDTemplate, HWND hWndParent = nullptr);
  virtual ~CDialog();
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;

  /// Creates the dialog, calls OnInitDialog and runs its modal loop; returns
  /// the value given to EndDialog, or -1 when the dialog could not be made.
  INT_PTR DoModal();

  /// The dialog's window while DoModal runs; null before and after.
  HWND m_hWnd = nullptr;

 protected:
  /// Called once the controls exist. TRUE: the platform sets the focus.
  virtual BOOL OnInitDialog();
  /// The IDOK command: ends the dialog with IDOK.
  virtual void OnOK();
  /// The IDCANCEL command (Escape, Close): ends the dialog with IDCANCEL.
  virtual void OnCancel();
  /// Any other message: the dialog procedure's answer, FALSE when the
  /// message is left to the platform's default handling.
  virtual INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

  /// Ends the modal loop with nResult.
  void EndDialog(INT_PTR nResult);

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  /// Hands one message to the dialog object's handlers.
  static INT_PTR RouteMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  UINT m_nIDTemplate;
  HWND m_hWndParent;
};
