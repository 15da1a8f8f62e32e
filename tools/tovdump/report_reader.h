/// Reading a report file: the compound file is checked, opened with the
/// platform's storage calls, and each of the five streams is loaded on its
/// own, into an object of its class by the records' Serialize in load mode.
/// Streams are loaded one at a time so that only one object graph is held.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "report/com_ref.h"
#include "report/file.h"
#include "report/object.h"
#include "tools/tovdump/reader_host.h"
#include "win32_api.h"

namespace tovdump {

/// A stream of the report and the class of its object.
struct StreamSpec {
  const char* pszName;
  const CRuntimeClass* pClass;
};

/// The five streams, in the order the program writes them.
const std::vector<StreamSpec>& ReportStreams();
/// The stream of that name, or null.
const StreamSpec* FindReportStream(const std::string& strName);

/// One stream as the reader found it.
struct LoadedStream {
  enum State { kLoaded, kMissing, kFailed };
  const StreamSpec* pSpec = nullptr;
  State state = kMissing;
  /// The loaded object (kLoaded only).
  std::unique_ptr<CObject> pObject;
  /// Why it is missing or failed, or (when loaded) what follows its record;
  /// empty when all is well. Names the stream, the byte offset and the cause.
  std::string strProblem;
  unsigned long long nBytes = 0;
};

class ReportReader {
 public:
  explicit ReportReader(ReaderHost& host) : m_host(host) {}

  /// Reads and checks the file at strPath and opens its storage. False, with
  /// the reason, when the file cannot be read as a compound file at all.
  bool Open(const std::string& strPath, std::string& strError);

  /// Loads one stream of the open file. When it fails, what the storage layer
  /// said on its own about the file and the stream is part of its problem.
  LoadedStream Load(const StreamSpec& spec);

  /// The names of elements of the root storage that are none of the five
  /// streams.
  std::vector<std::string> OtherElements() const { return m_otherElements; }

  /// Loads an object of spec's class from the bytes of a stream; the result
  /// as Load gives it, from bytes in memory (tests and tools).
  static LoadedStream LoadBytes(const StreamSpec& spec, std::vector<BYTE> bytes);

 private:
  static LoadedStream LoadFrom(const StreamSpec& spec, CFile& file, unsigned long long nSize);
  LoadedStream LoadStream(const StreamSpec& spec);
  void ListElements();

  ReaderHost& m_host;
  ComRef<IStorage> m_pStorage;
  unsigned long long m_nFileSize = 0;
  std::vector<std::string> m_otherElements;
  std::string m_strOpenMessages;  // what the storage layer said while opening
};

}  // namespace tovdump
