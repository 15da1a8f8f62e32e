/// One service or driver of the inventory: its names, status, configuration,
/// registry values and the version record of its image file. Services form a
/// chain through m_pNext, each owning its successor.
#pragma once

#include <string>

#include "report/object.h"
#include "services/service_handles.h"
#include "win32_api.h"

class CSCMFileVerInfo;
class CSCMServiceMan;

class CSCMService : public CObject {
  DECLARE_SERIAL(CSCMService)

 public:
  CSCMService() = default;
  /// Deletes the rest of the chain (without recursion: chains can be long)
  /// and the version record.
  ~CSCMService() override;
  CSCMService(const CSCMService&) = delete;
  CSCMService& operator=(const CSCMService&) = delete;

  /// Opens the service through the owner's SCM handle and reads its
  /// configuration into the members; TRUE when it was read.
  BOOL QueryConfig();
  /// Reads "Description", "ImagePath" (replacing the configuration's path)
  /// and "Parameters\ServiceDll" from the service's registry key, each only
  /// when it can be read. Always TRUE.
  BOOL ReadRegistry();
  /// Opens HKLM\SYSTEM\CurrentControlSet\Services\<name>, or its subkey
  /// pszSubKey, for reading; null when the service has no name, when the key
  /// cannot be opened or when its path does not fit in MAX_PATH characters.
  ScopedRegistryKey OpenServiceKey(const char* pszSubKey = nullptr) const;
  /// The path of the file that holds the service's code, from its service
  /// DLL, image path or (for a driver) its name; FALSE and empty when there
  /// is none.
  BOOL GetBinaryPath(std::string& strPath) const;

  void Serialize(CArchive& ar) override;

  ScopedServiceHandle m_hService;
  CSCMService* m_pNext = nullptr;
  CSCMServiceMan* m_pOwner = nullptr;
  std::string m_strServiceName;
  std::string m_strDisplayName;
  std::string m_strDescription;
  SERVICE_STATUS m_status{};
  DWORD m_dwServiceType = 0;
  DWORD m_dwStartType = 0;
  DWORD m_dwErrorControl = 0;
  std::string m_strBinaryPathName;
  std::string m_strServiceDll;
  std::string m_strLoadOrderGroup;
  DWORD m_dwTagId = 0;
  std::string m_strDependencies;
  std::string m_strServiceStartName;
  CSCMFileVerInfo* m_pVerInfo = nullptr;
};
