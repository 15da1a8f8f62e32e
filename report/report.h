/// The report container: everything one collection run gathers, and the
/// writer of the report file, a compound file with one stream per object.
#pragma once

#include <string>

#include "devtree/cm_dev_tree.h"
#include "eventlog/el_event_log.h"
#include "report/com_ref.h"
#include "services/scm_service_man.h"
#include "win32_api.h"

class CReport {
 public:
  /// Empty members; the three event logs named "System", "Norvan", "Security".
  CReport();
  /// Destroys the members in reverse order, the storage last: releasing it
  /// completes the file.
  virtual ~CReport();
  CReport(const CReport&) = delete;
  CReport& operator=(const CReport&) = delete;

  /// Creates the compound file (an existing one is replaced) and writes the
  /// five streams in order: "DevMan", "Services", "EvLog_System",
  /// "EvLog_Norvan", "EvLog_Security". 0 when the file cannot be created
  /// (m_hrCreate says why); else the OR of the WriteStream results. The file
  /// is complete once the container is destroyed.
  DWORD WriteReport(const char* lpszFileName);

  /// Writes pObject's record into a new stream of that name through an
  /// archive. 1 when the stream was written and closed; 0 when there is no
  /// file, the stream cannot be made, or an error stopped the writing (its
  /// message is shown, naming the stream).
  DWORD WriteStream(CObject* pObject, const WCHAR* lpszStreamName);

  ComRef<IStorage> m_pStorage;
  CCmDevTree m_devTree;
  CSCMServiceMan m_services;
  CElEventLog m_logSystem;
  CElEventLog m_logNorvan;
  CElEventLog m_logSecurity;
  /// Why WriteReport could not create the file; S_OK when it could.
  HRESULT m_hrCreate = S_OK;
};

/// What a failure to create the report file means, in words ("the folder
/// does not exist").
std::string StorageErrorText(HRESULT hr);
