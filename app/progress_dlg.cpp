#include "app/progress_dlg.h"

#include "app/about_dlg.h"
#include "app/framework/win_app.h"
#include "devtree/cm_dev_tree.h"
#include "devtree/cm_device.h"
#include "resources/resource.h"
#include "resources/string_table.h"

namespace {

// The text of each stage's line; stage 4 shows string 108, stage 5 string 107.
constexpr UINT kStageStrings[] = {
    IDS_STAGE_DEVMAN,         IDS_STAGE_SERVICES,       IDS_STAGE_EVLOG_SYSTEM,
    IDS_STAGE_EVLOG_NORVAN,   IDS_STAGE_EVLOG_SECURITY, IDS_STAGE_DEVMAN_DETAILS,
};

}  // namespace

CProgressDlg::CProgressDlg(HWND hWndParent, LPTHREAD_START_ROUTINE pfnWorker)
    : CDialog(IDD_PROGRESS, hWndParent),
      m_hIcon(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME))),
      m_hSkipEvent(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      m_pfnWorker(pfnWorker) {}

CProgressDlg::~CProgressDlg() = default;

BOOL CProgressDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  m_hProgress = GetDlgItem(m_hWnd, IDC_PROGRESS);
  m_hSkip = GetDlgItem(m_hWnd, IDC_SKIP);

  HMENU hMenu = GetSystemMenu(m_hWnd, FALSE);
  if (hMenu != nullptr) {
    std::string strAbout = LoadResourceString(IDS_ABOUTBOX);
    if (!strAbout.empty()) {
      AppendMenuA(hMenu, MF_SEPARATOR, 0, nullptr);
      AppendMenuA(hMenu, MF_STRING, IDM_ABOUTBOX, strAbout.c_str());
    }
    // The window cannot be closed: only the end of the run ends it.
    ModifyMenuA(hMenu, SC_CLOSE, MF_BYCOMMAND | MF_DISABLED, 0, nullptr);
  }
  SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
  SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
  EnableWindow(m_hSkip, FALSE);

  m_hThread = CreateThread(nullptr, 0, m_pfnWorker, this, 0, nullptr);
  if (m_hThread != nullptr) {
    CloseHandle(m_hThread);  // the thread runs on detached
  } else {
    // Nothing else could end the window; without a run there is no report.
    EndDialog(IDABORT);
  }
  return TRUE;
}

void CProgressDlg::OnCancel() {}

INT_PTR CProgressDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) != IDM_ABOUTBOX) return FALSE;  // the default handling
      OnSysCommand(static_cast<UINT>(wParam), lParam);
      return TRUE;
    case WM_PAINT:
      if (!IsIconic(m_hWnd)) return FALSE;  // the dialog's own painting
      OnPaint();
      return TRUE;
    case WM_QUERYDRAGICON:
      return reinterpret_cast<INT_PTR>(OnQueryDragIcon());
    case WM_COMMAND:
      if (HIWORD(wParam) != BN_CLICKED || LOWORD(wParam) != IDC_SKIP) return FALSE;
      OnSkip();
      return TRUE;
    default:
      return FALSE;
  }
}

void CProgressDlg::OnSysCommand(UINT, LPARAM) {
  CAboutDlg dlgAbout;
  dlgAbout.DoModal();
}

void CProgressDlg::OnPaint() {
  PAINTSTRUCT ps;
  HDC hdc = BeginPaint(m_hWnd, &ps);
  SendMessageA(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0);
  RECT rcClient;
  GetClientRect(m_hWnd, &rcClient);
  POINT origin = IconOrigin(rcClient, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
  DrawIcon(hdc, origin.x, origin.y, m_hIcon);
  EndPaint(m_hWnd, &ps);
}

void CProgressDlg::OnSkip() { SetEvent(m_hSkipEvent.get()); }

BOOL CProgressDlg::OnStage(int nStage) {
  if (nStage >= STAGE_DEVMAN && nStage <= STAGE_DEVMAN_DETAILS) {
    SetDlgItemTextA(m_hWnd, IDC_STAGE_TEXT, LoadResourceString(kStageStrings[nStage]).c_str());
  }
  SetDlgItemTextA(m_hWnd, IDC_ITEM_TEXT, "");
  EnableWindow(m_hSkip, nStage == STAGE_DEVMAN_DETAILS);
  return TRUE;
}

BOOL CProgressDlg::OnProgress(int nCode, ULONG_PTR value) {
  switch (nCode) {
    case PROGRESS_RANGE:
      // The bar's range holds 16 bits; a longer pass keeps counting past it.
      SendMessageA(m_hProgress, PBM_SETRANGE, 0, MAKELPARAM(0, LOWORD(value)));
      SendMessageA(m_hProgress, PBM_SETPOS, 0, 0);
      m_nItem = 0;
      break;
    case PROGRESS_DEVICE:
    case PROGRESS_DEVICE_DETAIL:
      ++m_nItem;
      SendMessageA(m_hProgress, PBM_SETPOS, static_cast<WPARAM>(m_nItem), 0);
      SetDlgItemTextA(m_hWnd, IDC_ITEM_TEXT,
                      DeviceCaption(reinterpret_cast<const CCmDevice*>(value)).c_str());
      break;
    default:
      break;
  }
  return WaitForSingleObject(m_hSkipEvent.get(), 0) == WAIT_OBJECT_0 ? FALSE : TRUE;
}

std::string CProgressDlg::DeviceCaption(const CCmDevice* pDevice) {
  if (pDevice == nullptr) return {};
  if (pDevice->m_dnParent == 0) return "Root";
  return !pDevice->m_strDeviceDesc.empty() ? pDevice->m_strDeviceDesc : pDevice->m_strFriendlyName;
}

POINT CProgressDlg::IconOrigin(const RECT& rcClient, int cxIcon, int cyIcon) {
  LONG cx = rcClient.right - rcClient.left;
  LONG cy = rcClient.bottom - rcClient.top;
  // C++ division truncates toward zero, as the placement asks.
  return POINT{(cx - cxIcon + 1) / 2, (cy - cyIcon + 1) / 2};
}
