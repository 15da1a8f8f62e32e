#include "app/collection_run.h"

#include <memory>
#include <new>

#include "app/globals.h"
#include "app/progress_dlg.h"
#include "app/run_settings.h"
#include "report/archive_time.h"
#include "report/report.h"

namespace {

/// The event window of the three logs: the last ten days.
constexpr LONGLONG kEventWindowSeconds = 864000;

/// Stage 4's mask: bit 0x08 (/see) skips it as well as bit 0x40.
constexpr DWORD kSkipSecurityMask = 0x48;

/// The pause before the end of the run is posted again.
constexpr DWORD kPostRetryMilliseconds = 10;

/// Runs one stage. Memory running out ends the stage it happens in: the
/// stage's member keeps what it had collected, as after any other failure in
/// a stage, and the run goes on with the next stage.
template <class Stage>
void RunStage(Stage stage) {
  try {
    stage();
  } catch (const std::bad_alloc&) {
  }
}

}  // namespace

BOOL ForwardProgress(LONG nCode, ULONG_PTR value, void* pParam) {
  return static_cast<IProgressSink*>(pParam)->OnProgress(nCode, value);
}

DWORD RunCollection(DWORD dwOptions, IProgressSink* pSink) {
  CReport& report = *g_pReport;
  if (!(dwOptions & SKIP_DEVMAN)) {
    RunStage([&] {
      if (pSink != nullptr) {
        pSink->OnStage(STAGE_DEVMAN);
        // Stays installed, so the detail pass of stage 5 reports through it too.
        report.m_devTree.SetProgressCallback(ForwardProgress, pSink);
      }
      report.m_devTree.Enumerate();
    });
  }
  if (!(dwOptions & SKIP_SERVICES)) {
    RunStage([&] {
      if (pSink != nullptr) pSink->OnStage(STAGE_SERVICES);
      report.m_services.m_dwReserved = 0;
      std::unique_ptr<BYTE[]> pBuffer(new (std::nothrow) BYTE[CSCMServiceMan::kEnumBufferSize]);
      if (pBuffer) report.m_services.Collect(std::move(pBuffer));
    });
  }
  const CTimeSpan spanWindow(kEventWindowSeconds);
  if (!(dwOptions & SKIP_EVLOG_SYSTEM)) {
    RunStage([&] {
      if (pSink != nullptr) pSink->OnStage(STAGE_EVLOG_SYSTEM);
      report.m_logSystem.Collect(spanWindow);
    });
  }
  if (!(dwOptions & SKIP_EVLOG_NORVAN)) {
    RunStage([&] {
      if (pSink != nullptr) pSink->OnStage(STAGE_EVLOG_NORVAN);
      report.m_logNorvan.Collect(spanWindow);
    });
  }
  if (!(dwOptions & kSkipSecurityMask)) {
    RunStage([&] {
      if (pSink != nullptr) pSink->OnStage(STAGE_EVLOG_SECURITY);
      report.m_logSecurity.Collect(spanWindow);
    });
  }
  if (dwOptions & SKIP_DEVMAN_DETAILS) return 1;
  RunStage([&] {
    if (pSink != nullptr) pSink->OnStage(STAGE_DEVMAN_DETAILS);
    report.m_devTree.StartDetailPass((dwOptions >> 5) & 1);
  });
  return 1;
}

DWORD WINAPI CollectThreadProc(LPVOID pParam) {
  auto* pDlg = static_cast<CProgressDlg*>(pParam);
  DWORD dwResult = RunCollection(g_dwOptions, pDlg);
  // Posted, not sent: the worker does not wait for the window to end. Only
  // this message ends the window, so a post that fails for want of room in
  // the queue is tried again until the queue takes it.
  while (!PostMessageA(pDlg->m_hWnd, WM_COMMAND, dwResult != 0 ? IDOK : IDCANCEL, 0) &&
         GetLastError() != ERROR_INVALID_WINDOW_HANDLE) {
    Sleep(kPostRetryMilliseconds);
  }
  return 0;
}
