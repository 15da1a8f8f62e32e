#include "services/scm_service_man.h"

#include <new>

#include "report/archive.h"
#include "services/scm_file_ver_info.h"
#include "services/scm_service.h"

IMPLEMENT_SERIAL(CSCMServiceMan, CObject, VERSIONABLE_SCHEMA | 1)

namespace {

// The kinds of service the inventory lists: drivers and Win32 services.
constexpr DWORD kServiceTypes = SERVICE_KERNEL_DRIVER | SERVICE_FILE_SYSTEM_DRIVER |
                                SERVICE_RECOGNIZER_DRIVER | SERVICE_WIN32_OWN_PROCESS |
                                SERVICE_WIN32_SHARE_PROCESS;

}  // namespace

CSCMServiceMan::~CSCMServiceMan() { delete m_pFirst; }

BOOL CSCMServiceMan::Collect(std::unique_ptr<BYTE[]> pBuffer) {
  m_hSCManager.reset(OpenSCManagerA(m_strMachineName.empty() ? nullptr : m_strMachineName.c_str(),
                                    m_strDatabaseName.empty() ? nullptr : m_strDatabaseName.c_str(),
                                    GENERIC_READ));
  if (!m_hSCManager) return FALSE;
  auto* pEntries = reinterpret_cast<LPENUM_SERVICE_STATUSA>(pBuffer.get());
  DWORD dwResume = 0;
  DWORD cbNeeded = 0;
  DWORD nReturned = 0;
  BOOL bResult;
  for (;;) {
    const DWORD dwStart = dwResume;
    bResult = EnumServicesStatusA(m_hSCManager.get(), kServiceTypes, SERVICE_STATE_ALL, pEntries,
                                  kEnumBufferSize, &cbNeeded, &nReturned, &dwResume);
    if (!bResult && GetLastError() != ERROR_MORE_DATA) break;
    // Asking for more without moving the resume handle would return the same
    // batch forever: an entry larger than the whole buffer never fits, and a
    // manager that cannot split its list in batches (Wine's) reports a count
    // without filling the buffer. Such a batch is not taken.
    if (!bResult && dwResume == dwStart) break;
    AddServices(nReturned, pEntries);
    if (bResult) break;
  }
  m_hSCManager.reset();
  return bResult;
}

BOOL CSCMServiceMan::AddServices(DWORD nCount, const ENUM_SERVICE_STATUSA* pEntries) {
  if (nCount == 0) return FALSE;
  for (DWORD i = 0; i < nCount; ++i) {
    const ENUM_SERVICE_STATUSA& entry = pEntries[i];
    std::unique_ptr<CSCMService> pService(new (std::nothrow) CSCMService);
    if (!pService) continue;
    pService->m_pOwner = this;
    // Copied now: the next batch overwrites the buffer the names lie in.
    if (entry.lpServiceName != nullptr) pService->m_strServiceName = entry.lpServiceName;
    if (entry.lpDisplayName != nullptr) pService->m_strDisplayName = entry.lpDisplayName;
    pService->m_status = entry.ServiceStatus;
    pService->QueryConfig();
    pService->ReadRegistry();

    std::string strImage;
    if (pService->GetBinaryPath(strImage)) {
      std::unique_ptr<CSCMFileVerInfo> pVerInfo(new (std::nothrow) CSCMFileVerInfo);
      if (pVerInfo && pVerInfo->Load(strImage)) pService->m_pVerInfo = pVerInfo.release();
    }

    CSCMService* pAdded = pService.release();
    if (m_pLast != nullptr) {
      m_pLast->m_pNext = pAdded;
    } else {
      m_pFirst = pAdded;
    }
    ++m_nCount;
    m_pLast = pAdded;
  }
  return TRUE;
}

void CSCMServiceMan::Serialize(CArchive& ar) {
  ar.MapObject(this);
  ar.GetObjectSchema();
  if (ar.IsStoring()) {
    ar << m_strMachineName << m_strDatabaseName << m_dwReserved << m_nCount;
    ar.WriteObject(m_pFirst);
    ar.WriteObject(m_pLast);
    return;
  }
  delete m_pFirst;
  m_pFirst = m_pLast = nullptr;
  ar >> m_strMachineName >> m_strDatabaseName >> m_dwReserved >> m_nCount;
  m_pFirst = static_cast<CSCMService*>(ar.ReadObject(RUNTIME_CLASS(CSCMService)));
  // The last service was written inside the chain, so its reference must
  // name an object read before; a new object here would belong to no one.
  CArchive::LoadedRef last = ar.ReadObjectHeader(RUNTIME_CLASS(CSCMService));
  if (last.bNew) {
    delete last.pObject;
    ThrowArchiveException(CArchiveException::badIndex);
  }
  CSCMService* pEnd = nullptr;
  for (CSCMService* pService = m_pFirst; pService != nullptr; pService = pService->m_pNext) {
    pService->m_pOwner = this;
    pEnd = pService;
  }
  // Appending behind a "last" service that is not the chain's end would cut
  // the chain.
  if (last.pObject != pEnd) ThrowArchiveException(CArchiveException::badIndex);
  m_pLast = pEnd;
}
