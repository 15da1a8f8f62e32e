#include "app/framework/dialog.h"

#include <new>

#include "app/framework/win_app.h"

CDialog::CDialog(UINT nIDTemplate, HWND hWndParent)
    : m_nIDTemplate(nIDTemplate), m_hWndParent(hWndParent) {}

CDialog::~CDialog() = default;

INT_PTR CDialog::DoModal() {
  HWND hwndOwner = m_hWndParent;
  CWinApp* pApp = AfxGetApp();
  if (hwndOwner == nullptr && pApp != nullptr && pApp->m_pMainWnd != nullptr &&
      pApp->m_pMainWnd != this) {
    hwndOwner = pApp->m_pMainWnd->m_hWnd;
  }
  INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(m_nIDTemplate),
                                   hwndOwner, DialogProc, reinterpret_cast<LPARAM>(this));
  m_hWnd = nullptr;
  return result;
}

BOOL CDialog::OnInitDialog() { return TRUE; }

void CDialog::OnOK() { EndDialog(IDOK); }

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

INT_PTR CDialog::OnMessage(UINT, WPARAM, LPARAM) { return FALSE; }

void CDialog::EndDialog(INT_PTR nResult) { ::EndDialog(m_hWnd, nResult); }

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  // No exception may leave a window procedure: the platform's dispatch, and
  // maybe a thread waiting for its sent message, lie between here and the
  // sender. A handler that runs out of memory leaves its message unhandled;
  // a dialog that cannot finish its set-up ends at once with -1, the result
  // of a dialog that could not be made, since nothing else might end it.
  try {
    return RouteMessage(hwnd, message, wParam, lParam);
  } catch (const std::bad_alloc&) {
    if (message == WM_INITDIALOG) ::EndDialog(hwnd, -1);
    return FALSE;
  }
}

INT_PTR CDialog::RouteMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* pDlg = reinterpret_cast<CDialog*>(lParam);
    pDlg->m_hWnd = hwnd;
    SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
    return pDlg->OnInitDialog();
  }
  auto* pDlg = reinterpret_cast<CDialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  // Messages that arrive before WM_INITDIALOG (fonts, sizes) have no object yet.
  if (pDlg == nullptr) return FALSE;
  if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    switch (LOWORD(wParam)) {
      case IDOK:
        pDlg->OnOK();
        return TRUE;
      case IDCANCEL:
        pDlg->OnCancel();
        return TRUE;
      default:
        break;
    }
  }
  return pDlg->OnMessage(message, wParam, lParam);
}
