#include "app/run_settings.h"

#include <cstdlib>
#include <cstring>

#include "app/framework/win_app.h"
#include "resources/string_table.h"

char g_szReportFile[MAX_PATH];
HWND g_hwndParent;
DWORD g_dwOptions;

BOOL ParseOptions() {
  std::memset(g_szReportFile, 0, sizeof g_szReportFile);
  g_hwndParent = nullptr;
  g_dwOptions = 0;
  CommandLine line;
  if (!ParseCommandLine(__argc, __argv, line)) {
    AfxMessageBox(IDS_USAGE, MB_OK | MB_ICONEXCLAMATION);
    return FALSE;
  }
  // ParseCommandLine has checked that the name fits with its terminator.
  std::memcpy(g_szReportFile, line.strReportFile.c_str(), line.strReportFile.size() + 1);
  g_hwndParent = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(line.dwParentWindow));
  g_dwOptions = line.dwOptions;
  return TRUE;
}
