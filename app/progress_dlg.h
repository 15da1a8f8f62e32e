/// The progress window: the program's main window while the collection runs
/// on its worker thread. It shows the stage and the device being worked on,
/// moves a progress bar through the device passes, offers Skip during the
/// detail pass, and closes when the worker posts the end of the run.
#pragma once

#include <memory>
#include <string>

#include "app/collection_run.h"
#include "app/framework/dialog.h"
#include "app/progress_sink.h"
#include "win32_api.h"

class CCmDevice;

class CProgressDlg : public CDialog, public IProgressSink {
 public:
  /// A window owned by hWndParent (none: null) whose worker thread runs
  /// pfnWorker with the window as its parameter.
  explicit CProgressDlg(HWND hWndParent, LPTHREAD_START_ROUTINE pfnWorker = CollectThreadProc);
  ~CProgressDlg() override;

  // IProgressSink, called on the worker thread.
  BOOL OnStage(int nStage) override;
  BOOL OnProgress(int nCode, ULONG_PTR value) override;

  /// The text of the item line for a device: empty for none, "Root" for the
  /// root of the tree, else its description or, without one, its friendly name.
  static std::string DeviceCaption(const CCmDevice* pDevice);

  /// Where a minimised window draws its icon: the icon centred in the client
  /// area, (client - icon + 1) / 2 in each direction, rounded toward zero.
  static POINT IconOrigin(const RECT& rcClient, int cxIcon, int cyIcon);

  struct HandleCloser {
    void operator()(HANDLE h) const { CloseHandle(h); }
  };

  HICON m_hIcon;
  /// The worker thread's handle, closed as soon as the thread runs.
  HANDLE m_hThread = nullptr;
  /// Manual reset, made unsignalled; set by Skip, never reset. Null when it
  /// could not be made: Skip then does nothing.
  std::unique_ptr<void, HandleCloser> m_hSkipEvent;
  /// Items counted since the range was last set: the bar's position.
  int m_nItem = 0;

 protected:
  BOOL OnInitDialog() override;
  /// Does nothing: neither Escape nor Close ends the window; only the
  /// worker's IDOK does.
  void OnCancel() override;
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnSysCommand(UINT nID, LPARAM lParam);
  void OnPaint();
  HICON OnQueryDragIcon() { return m_hIcon; }
  void OnSkip();

  LPTHREAD_START_ROUTINE m_pfnWorker;
  HWND m_hProgress = nullptr;  // control IDC_PROGRESS
  HWND m_hSkip = nullptr;      // control IDC_SKIP
};
