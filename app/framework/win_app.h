/// The application object and the framework services around it: the one
/// CWinApp of the process, its start-up and exit, its main window, message
/// boxes captioned with its name, and texts of the string table.
#pragma once

#include <string>

#include "win32_api.h"

class CDialog;

/// Base of the application object. Exactly one exists; AfxWinMain runs it.
class CWinApp {
 public:
  CWinApp();
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  /// The whole run. The program does all its work here and returns FALSE,
  /// so no message loop follows.
  virtual BOOL InitInstance();
  /// Called after InitInstance; returns the process's exit status.
  virtual int ExitInstance();

  /// Records the key under which settings would be kept; nothing is read or
  /// written there.
  void SetRegistryKey(const char* lpszRegistryKey);

  /// The program file's base name: the caption of its message boxes.
  std::string m_strAppName;
  std::string m_strRegistryKey;
  /// The window that owns dialogs opened without an owner of their own.
  CDialog* m_pMainWnd = nullptr;
  /// What ExitInstance returns.
  int m_nExitCode = 0;
};

/// The application object, or null.
CWinApp* AfxGetApp();

/// Runs the application object: InitInstance, then ExitInstance, whose
/// result is the process's exit status.
int AfxWinMain();

/// Shows a message box with the text and style, captioned with the
/// application's name and owned by its main window. Returns the answer.
int AfxMessageBox(const std::string& strText, UINT nType);
/// The same with the text of string `nIDPrompt`.
int AfxMessageBox(UINT nIDPrompt, UINT nType);

/// The text of string `nID` of the program's string table; empty when none.
std::string LoadResourceString(UINT nID);
