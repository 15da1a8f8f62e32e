#include "services/scm_service.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "report/archive.h"
#include "services/dependency_list.h"
#include "services/scm_file_ver_info.h"
#include "services/scm_service_man.h"

IMPLEMENT_SERIAL(CSCMService, CObject, VERSIONABLE_SCHEMA | 2)

namespace {

// Registry reads take texts of up to this many bytes, terminator included.
constexpr DWORD kValueBufferSize = 260;

// Reads value pszName of hKey as text into strValue when the read succeeds.
// The type is not looked at; the text ends at its first NUL or, for data
// stored without one, at the data's end.
void ReadRegistryText(HKEY hKey, const char* pszName, std::string& strValue) {
  BYTE data[kValueBufferSize];
  DWORD cbData = sizeof data;
  DWORD dwType = 0;
  if (RegQueryValueExA(hKey, pszName, nullptr, &dwType, data, &cbData) != ERROR_SUCCESS) return;
  const char* pszText = reinterpret_cast<const char*>(data);
  strValue.assign(pszText, strnlen(pszText, std::min<DWORD>(cbData, sizeof data)));
}

}  // namespace

CSCMService::~CSCMService() {
  delete m_pVerInfo;
  CSCMService* pNext = m_pNext;
  while (pNext != nullptr) {
    CSCMService* pAfter = pNext->m_pNext;
    pNext->m_pNext = nullptr;
    delete pNext;
    pNext = pAfter;
  }
}

BOOL CSCMService::QueryConfig() {
  if (m_pOwner != nullptr) {
    m_hService.reset(OpenServiceA(m_pOwner->m_hSCManager.get(), m_strServiceName.c_str(),
                                  GENERIC_READ));
  }
  if (!m_hService) return FALSE;
  BOOL bRead = FALSE;
  DWORD cbNeeded = 0;
  QueryServiceConfigA(m_hService.get(), nullptr, 0, &cbNeeded);
  if (cbNeeded != 0) {
    std::unique_ptr<BYTE[]> pBuffer(new (std::nothrow) BYTE[cbNeeded]);
    auto* pConfig = reinterpret_cast<LPQUERY_SERVICE_CONFIGA>(pBuffer.get());
    if (pBuffer && QueryServiceConfigA(m_hService.get(), pConfig, cbNeeded, &cbNeeded) == TRUE) {
      m_dwServiceType = pConfig->dwServiceType;
      m_dwStartType = pConfig->dwStartType;
      m_dwErrorControl = pConfig->dwErrorControl;
      m_dwTagId = pConfig->dwTagId;
      if (pConfig->lpBinaryPathName != nullptr) m_strBinaryPathName = pConfig->lpBinaryPathName;
      if (pConfig->lpLoadOrderGroup != nullptr) m_strLoadOrderGroup = pConfig->lpLoadOrderGroup;
      if (pConfig->lpServiceStartName != nullptr) {
        m_strServiceStartName = pConfig->lpServiceStartName;
      }
      if (pConfig->lpDependencies != nullptr) {
        m_strDependencies = JoinDependencies(pConfig->lpDependencies);
      }
      bRead = TRUE;
    }
  }
  m_hService.reset();
  return bRead;
}

BOOL CSCMService::ReadRegistry() {
  if (ScopedRegistryKey hKey = OpenServiceKey()) {
    ReadRegistryText(hKey.get(), "Description", m_strDescription);
    ReadRegistryText(hKey.get(), "ImagePath", m_strBinaryPathName);
  }
  if (ScopedRegistryKey hKey = OpenServiceKey("Parameters")) {
    ReadRegistryText(hKey.get(), "ServiceDll", m_strServiceDll);
  }
  return TRUE;
}

ScopedRegistryKey CSCMService::OpenServiceKey(const char* pszSubKey) const {
  // Without a name the path would end at the Services key itself, whose
  // values belong to no service.
  if (m_strServiceName.empty()) return nullptr;
  char szKey[MAX_PATH];
  int nLength = pszSubKey != nullptr
                    ? std::snprintf(szKey, sizeof szKey, "SYSTEM\\CurrentControlSet\\Services\\%s\\%s",
                                    m_strServiceName.c_str(), pszSubKey)
                    : std::snprintf(szKey, sizeof szKey, "SYSTEM\\CurrentControlSet\\Services\\%s",
                                    m_strServiceName.c_str());
  // A path cut to fit would name another key; such a key is not read.
  if (nLength < 0 || nLength >= static_cast<int>(sizeof szKey)) return nullptr;
  HKEY hKey = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, szKey, 0, KEY_READ, &hKey) != ERROR_SUCCESS) return nullptr;
  return ScopedRegistryKey(hKey);
}

void CSCMService::Serialize(CArchive& ar) {
  static_assert(sizeof(SERVICE_STATUS) == 28, "the record holds the 28-byte SERVICE_STATUS");
  ar.MapObject(this);
  UINT nSchema = ar.GetObjectSchema();
  if (ar.IsStoring()) {
    ar << m_strServiceName << m_strDisplayName << m_strDescription;
    ar.Write(&m_status, sizeof m_status);
    ar << m_dwServiceType << m_dwStartType << m_dwErrorControl << m_strBinaryPathName
       << m_strLoadOrderGroup << m_dwTagId << m_strServiceStartName << m_strDependencies
       << m_strServiceDll;
    LONG bVerInfo = m_pVerInfo != nullptr ? 1 : 0;
    ar << bVerInfo;
    if (bVerInfo) ar.WriteObject(m_pVerInfo);
    ar.WriteTailObject(m_pNext);
    return;
  }
  ar >> m_strServiceName >> m_strDisplayName >> m_strDescription;
  ar.Read(&m_status, sizeof m_status);
  ar >> m_dwServiceType >> m_dwStartType >> m_dwErrorControl >> m_strBinaryPathName >>
      m_strLoadOrderGroup >> m_dwTagId >> m_strServiceStartName >> m_strDependencies;
  if (static_cast<int>(nSchema) >= 2) {
    ar >> m_strServiceDll;
    LONG bVerInfo = 0;
    ar >> bVerInfo;
    if (bVerInfo != 0) {
      // The service owns its version record: a reference to one read before
      // would give that record two owners.
      CArchive::LoadedRef ref = ar.ReadObjectHeader(RUNTIME_CLASS(CSCMFileVerInfo));
      if (ref.pObject != nullptr && !ref.bNew) ThrowArchiveException(CArchiveException::badIndex);
      m_pVerInfo = static_cast<CSCMFileVerInfo*>(ref.pObject);
      if (m_pVerInfo != nullptr) m_pVerInfo->Serialize(ar);
    }
  }
  ar.ReadTailObject(m_pNext);
}
