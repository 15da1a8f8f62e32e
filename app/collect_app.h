/// The application object: takes the command line, makes the binding of the
/// device-configuration libraries and the report container, shows the
/// progress window while the collection runs, and writes the report file.
#pragma once

#include "app/framework/win_app.h"

/// Exit statuses: the run wrote its report; the command line was wrong; no
/// report file was written (it could not be made, or no run took place).
constexpr int kExitReportWritten = 0;
constexpr int kExitNoReport = 1;
constexpr int kExitUsage = 2;

class CCollectApp : public CWinApp {
 public:
  /// The whole run; always FALSE, so no message loop follows.
  BOOL InitInstance() override;
  /// Destroys the report container (which completes the file), then the binding.
  int ExitInstance() override;

 private:
  /// InitInstance's work; memory running out in it escapes as std::bad_alloc.
  BOOL Run();
};
