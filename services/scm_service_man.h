/// The service inventory: every service and driver the Service Control
/// Manager lists, in its order, each with its configuration, registry values
/// and the version strings of its image file. It is the only object of the
/// report's "Services" stream.
#pragma once

#include <memory>
#include <string>

#include "report/object.h"
#include "services/service_handles.h"
#include "win32_api.h"

class CSCMService;

class CSCMServiceMan : public CObject {
  DECLARE_SERIAL(CSCMServiceMan)

 public:
  /// The size of the enumeration buffer Collect is given.
  static constexpr DWORD kEnumBufferSize = 4096;

  CSCMServiceMan() = default;
  /// Deletes the chain of services.
  ~CSCMServiceMan() override;
  CSCMServiceMan(const CSCMServiceMan&) = delete;
  CSCMServiceMan& operator=(const CSCMServiceMan&) = delete;

  /// Lists the services of the SCM and appends them to the chain, using
  /// pBuffer (kEnumBufferSize bytes) for every batch; the buffer is released
  /// on every path. Nonzero when the last enumeration call succeeded.
  BOOL Collect(std::unique_ptr<BYTE[]> pBuffer);

  /// Builds one service per entry of a batch (configuration, registry values,
  /// version record) and appends it. 0 when nCount is 0, else 1.
  BOOL AddServices(DWORD nCount, const ENUM_SERVICE_STATUSA* pEntries);

  /// Store: the record; load: the record, then every service's owner is set.
  void Serialize(CArchive& ar) override;

  ScopedServiceHandle m_hSCManager;
  CSCMService* m_pFirst = nullptr;
  CSCMService* m_pLast = nullptr;
  DWORD m_nCount = 0;
  std::string m_strMachineName;
  std::string m_strDatabaseName;
  DWORD m_dwReserved = 0;
};
