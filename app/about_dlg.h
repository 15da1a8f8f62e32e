/// The About box: the program's icon and a text built from the version
/// resource of the program's own file.
#pragma once

#include <string>

#include "app/framework/dialog.h"

class CAboutDlg : public CDialog {
 public:
  /// Owned by the application's main window.
  CAboutDlg();

  /// The version text of the program's file; empty when anything fails.
  static std::string BuildVersionText();
  /// The version text of a file: for each translation in stored order, its
  /// FileDescription, a line feed, its ProductVersion, and its ProductName
  /// and LegalCopyright each after two line feeds; a value that is missing
  /// or empty is left out (with its line feeds, except the first one).
  static std::string VersionTextOfFile(const char* lpszPath);

 protected:
  BOOL OnInitDialog() override;
};
