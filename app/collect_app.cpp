#include "app/collect_app.h"

#include <cstdio>
#include <exception>
#include <new>

#include "app/globals.h"
#include "app/progress_dlg.h"
#include "app/run_settings.h"
#include "cfgmgr/cm_api.h"
#include "report/report.h"

BOOL CCollectApp::InitInstance() {
  try {
    return Run();
  } catch (const std::bad_alloc&) {
    // Memory ran out outside the collection (which keeps going without what
    // it could not hold): before the window, or while the report file was
    // named. No file was written.
    std::fprintf(stderr, "%s: not enough memory\n", m_strAppName.c_str());
    m_nExitCode = kExitNoReport;
    return FALSE;
  }
}

BOOL CCollectApp::Run() {
  INITCOMMONCONTROLSEX icc = {sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  CWinApp::InitInstance();
  SetRegistryKey("Pelbar\\Tov");

  m_nExitCode = kExitUsage;
  if (!ParseOptions()) return FALSE;

  m_nExitCode = kExitNoReport;
  // The binding raises when its lock cannot be set up; without it, or without
  // the container, the program ends without a window.
  try {
    g_pCmApi = new CCmApi();
    g_pReport = new CReport();
  } catch (const std::exception&) {
    return FALSE;
  }

  INT_PTR nResult;
  {
    CProgressDlg dlg(g_hwndParent);
    m_pMainWnd = &dlg;
    nResult = dlg.DoModal();
    m_pMainWnd = nullptr;
  }
  if (nResult != IDOK) return FALSE;

  g_pReport->WriteReport(g_szReportFile);
  // No message box: the program is often run unattended. Standard error
  // reaches whoever started it from a shell or redirected it.
  if (g_pReport->m_hrCreate == S_OK) {
    m_nExitCode = kExitReportWritten;
  } else if (!g_pReport->m_pStorage) {
    std::fprintf(stderr, "%s: cannot create the report file \"%s\": %s\n", m_strAppName.c_str(),
                 g_szReportFile, StorageErrorText(g_pReport->m_hrCreate).c_str());
  } else {
    // The file keeps the streams that were written; the reader names the
    // missing or cut-off ones.
    std::fprintf(stderr, "%s: the report file \"%s\" is incomplete: %s\n", m_strAppName.c_str(),
                 g_szReportFile, StorageErrorText(g_pReport->m_hrCreate).c_str());
  }
  return FALSE;
}

int CCollectApp::ExitInstance() {
  delete g_pReport;
  g_pReport = nullptr;
  delete g_pCmApi;
  g_pCmApi = nullptr;
  return CWinApp::ExitInstance();
}
