// Where a service's code lives on disk: CSCMService::GetBinaryPath.
#include <string>

#include "services/image_path.h"
#include "services/scm_service.h"

BOOL CSCMService::GetBinaryPath(std::string& strPath) const {
  strPath.clear();
  char szWindows[MAX_PATH] = "";
  UINT cchWindows = GetWindowsDirectoryA(szWindows, MAX_PATH);
  std::string strWindows = cchWindows > 0 && cchWindows < MAX_PATH ? szWindows : "";
  const bool bDriver = (m_dwServiceType & (SERVICE_KERNEL_DRIVER | SERVICE_FILE_SYSTEM_DRIVER)) != 0;

  std::string strSource;
  if (!m_strServiceDll.empty()) {
    strSource = m_strServiceDll;
  } else if (!m_strBinaryPathName.empty()) {
    strSource = m_strBinaryPathName;
  } else if (bDriver) {
    strSource = strWindows + "\\System32\\Drivers\\" + m_strServiceName + ".sys";
  } else {
    return FALSE;
  }
  std::string strImage = StripImageArguments(strSource);

  if (bDriver) {
    strPath = ResolveDriverImagePath(strImage, strWindows);
    return TRUE;
  }
  // An expansion that does not fit the buffer leaves the path unexpanded.
  char szExpanded[MAX_PATH];
  DWORD cchExpanded = ExpandEnvironmentStringsA(strImage.c_str(), szExpanded, MAX_PATH);
  strPath = cchExpanded > 0 && cchExpanded <= MAX_PATH ? std::string(szExpanded) : strImage;
  return TRUE;
}
