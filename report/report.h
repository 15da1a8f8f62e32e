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
  /// "EvLog_Norvan", "EvLog_Security"; every stream is attempted, whatever
  /// became of the ones before. 1 when at least one stream was written (the
  /// file is complete once the container is destroyed), 0 when the file
  /// cannot be created or no stream could be written. A stream that could
  /// not be made or written whole is missing or cut short in the file, and
  /// m_hrCreate keeps the first such failure.
  DWORD WriteReport(const char* lpszFileName);

  /// Writes pObject's record into a new stream of that name through an
  /// archive. 1 when the stream was written and closed; 0 when there is no
  /// file, the stream cannot be made, or an error stopped the writing (its
  /// message is shown, naming the stream; the first such failure is kept in
  /// m_hrCreate).
  DWORD WriteStream(CObject* pObject, const WCHAR* lpszStreamName);

  ComRef<IStorage> m_pStorage;
  CCmDevTree m_devTree;
  CSCMServiceMan m_services;
  CElEventLog m_logSystem;
  CElEventLog m_logNorvan;
  CElEventLog m_logSecurity;
  /// Why WriteReport wrote no file or an incomplete one (the file could not be
  /// created, or a stream could not be made or written whole); S_OK when it
  /// wrote all five streams.
  HRESULT m_hrCreate = S_OK;

 private:
  /// Keeps the first reason a stream failed.
  void NoteWriteFailure(HRESULT hr);
};

/// What a failure to create the report file means, in words ("the folder
/// does not exist").
std::string StorageErrorText(HRESULT hr);
