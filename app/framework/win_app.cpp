#include "app/framework/win_app.h"

#include "app/framework/dialog.h"

#include <new>

namespace {

CWinApp* g_pApp = nullptr;

// The base name of the program's file, without folder and extension.
std::string ProgramBaseName() {
  char path[MAX_PATH + 1] = {};
  if (GetModuleFileNameA(nullptr, path, MAX_PATH) == 0) return {};
  std::string name(path);
  size_t slash = name.find_last_of("\\/");
  if (slash != std::string::npos) name.erase(0, slash + 1);
  size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return name;
}

}  // namespace

CWinApp::CWinApp() { g_pApp = this; }

CWinApp::~CWinApp() {
  if (g_pApp == this) g_pApp = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return m_nExitCode; }

void CWinApp::SetRegistryKey(const char* lpszRegistryKey) { m_strRegistryKey = lpszRegistryKey; }

CWinApp* AfxGetApp() { return g_pApp; }

int AfxWinMain() {
  CWinApp* pApp = AfxGetApp();
  if (pApp == nullptr) return -1;
  try {
    pApp->m_strAppName = ProgramBaseName();
  } catch (const std::bad_alloc&) {
    // Without memory for it the program goes on unnamed: the name only
    // captions its messages.
  }
  // The application does its work inside InitInstance and answers FALSE, so
  // there is no message loop between the two calls.
  pApp->InitInstance();
  return pApp->ExitInstance();
}

int AfxMessageBox(const std::string& strText, UINT nType) {
  CWinApp* pApp = AfxGetApp();
  HWND hwndOwner = pApp != nullptr && pApp->m_pMainWnd != nullptr ? pApp->m_pMainWnd->m_hWnd : nullptr;
  const char* caption = pApp != nullptr ? pApp->m_strAppName.c_str() : nullptr;
  return MessageBoxA(hwndOwner, strText.c_str(), caption, nType);
}

int AfxMessageBox(UINT nIDPrompt, UINT nType) {
  return AfxMessageBox(LoadResourceString(nIDPrompt), nType);
}

std::string LoadResourceString(UINT nID) {
  // The longest text of the table, the usage message, is about 450 characters.
  char buffer[1024];
  int n = LoadStringA(GetModuleHandleA(nullptr), nID, buffer, static_cast<int>(sizeof buffer));
  return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
}
