#include "app/about_dlg.h"

#include <cstdio>
#include <memory>

#include "resources/resource.h"
#include "win32_api.h"

namespace {

struct GlobalFreer {
  void operator()(void* block) const { GlobalFree(block); }
};

// A string value of one translation: found and not empty counts.
bool QueryString(const void* pBlock, WORD wLanguage, WORD wCodePage, const char* pszName,
                 std::string& strValue) {
  char szKey[128];
  std::snprintf(szKey, sizeof szKey, "%s%04x%04x%s%s", "\\StringFileInfo\\", wLanguage, wCodePage,
                "\\", pszName);
  void* pValue = nullptr;
  UINT nLength = 0;
  if (!VerQueryValueA(pBlock, szKey, &pValue, &nLength) || pValue == nullptr) return false;
  strValue = static_cast<const char*>(pValue);
  return !strValue.empty();
}

}  // namespace

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}

BOOL CAboutDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  HWND hVersion = GetDlgItem(m_hWnd, IDC_VERSION);
  if (hVersion != nullptr && IsWindow(hVersion)) {
    SetDlgItemTextA(m_hWnd, IDC_VERSION, BuildVersionText().c_str());
  }
  return TRUE;
}

std::string CAboutDlg::BuildVersionText() {
  char szPath[MAX_PATH + 1] = {};
  if (GetModuleFileNameA(nullptr, szPath, MAX_PATH) == 0) return {};
  return VersionTextOfFile(szPath);
}

std::string CAboutDlg::VersionTextOfFile(const char* lpszPath) {
  DWORD dwHandle = 0;
  DWORD dwSize = GetFileVersionInfoSizeA(lpszPath, &dwHandle);
  if (dwSize == 0) return {};
  std::unique_ptr<void, GlobalFreer> pBlock(GlobalAlloc(GMEM_FIXED, dwSize));
  if (!pBlock || !GetFileVersionInfoA(lpszPath, dwHandle, dwSize, pBlock.get())) return {};

  void* pFixed = nullptr;
  UINT nFixed = 0;
  void* pTranslations = nullptr;
  UINT nTranslationBytes = 0;
  if (!VerQueryValueA(pBlock.get(), "\\", &pFixed, &nFixed) ||
      !VerQueryValueA(pBlock.get(), "\\VarFileInfo\\Translation", &pTranslations,
                      &nTranslationBytes)) {
    return {};
  }
  std::string strText;
  const auto* pEntry = static_cast<const WORD*>(pTranslations);
  for (UINT i = 0; i < nTranslationBytes / 4; ++i, pEntry += 2) {
    const WORD wLanguage = pEntry[0];
    const WORD wCodePage = pEntry[1];
    std::string strValue;
    if (QueryString(pBlock.get(), wLanguage, wCodePage, "FileDescription", strValue)) {
      strText += strValue;
    }
    strText += "\n";
    if (QueryString(pBlock.get(), wLanguage, wCodePage, "ProductVersion", strValue)) {
      strText += strValue;
    }
    if (QueryString(pBlock.get(), wLanguage, wCodePage, "ProductName", strValue)) {
      strText += "\n\n" + strValue;
    }
    if (QueryString(pBlock.get(), wLanguage, wCodePage, "LegalCopyright", strValue)) {
      strText += "\n\n" + strValue;
    }
  }
  return strText;
}
