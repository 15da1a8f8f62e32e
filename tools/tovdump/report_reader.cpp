#include "tools/tovdump/report_reader.h"

#include <fstream>
#include <new>

#include "devtree/cm_dev_tree.h"
#include "eventlog/el_event_log.h"
#include "report/archive.h"
#include "report/mem_file.h"
#include "report/ole_stream_file.h"
#include "services/scm_service_man.h"
#include "tools/tovdump/cfb_check.h"

namespace tovdump {

namespace {

// The storage layer costs a call per sector on every read, so the archive
// reads in larger pieces than the writer's buffer.
constexpr UINT kLoadBufferSize = 1 << 16;

struct StatName {
  STATSTG st{};
  ~StatName() { CoTaskMemFree(st.pwcsName); }
};

// Element names are short ASCII in every report; anything else is shown
// with its UTF-16 units replaced by '?'.
std::string NarrowName(const WCHAR* pName) {
  std::string name;
  for (; pName != nullptr && *pName != 0; ++pName) {
    name += *pName < 0x80 ? static_cast<char>(*pName) : '?';
  }
  return name;
}

std::basic_string<WCHAR> WideName(const char* pszName) {
  std::basic_string<WCHAR> name;
  for (; *pszName != 0; ++pszName) name += static_cast<WCHAR>(*pszName);
  return name;
}

std::string Problem(const char* pszStream, unsigned long long nOffset, const std::string& strCause) {
  return std::string("stream ") + pszStream + ", byte " + std::to_string(nOffset) + ": " + strCause;
}

}  // namespace

const std::vector<StreamSpec>& ReportStreams() {
  static const std::vector<StreamSpec> streams = {
      {"DevMan", RUNTIME_CLASS(CCmDevTree)},
      {"Services", RUNTIME_CLASS(CSCMServiceMan)},
      {"EvLog_System", RUNTIME_CLASS(CElEventLog)},
      {"EvLog_Norvan", RUNTIME_CLASS(CElEventLog)},
      {"EvLog_Security", RUNTIME_CLASS(CElEventLog)},
  };
  return streams;
}

const StreamSpec* FindReportStream(const std::string& strName) {
  for (const StreamSpec& spec : ReportStreams()) {
    if (strName == spec.pszName) return &spec;
  }
  return nullptr;
}

bool ReportReader::Open(const std::string& strPath, std::string& strError) {
  {
    // The whole file is read for the check and let go before any stream is
    // loaded, so it does not add to the peak.
    std::ifstream in(strPath, std::ios::binary | std::ios::ate);
    if (!in) {
      strError = "cannot open the file";
      return false;
    }
    std::streamoff nSize = in.tellg();
    if (nSize < 0) {
      strError = "cannot read the file";
      return false;
    }
    std::vector<uint8_t> file(static_cast<size_t>(nSize));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(file.data()), nSize)) {
      strError = "cannot read the file";
      return false;
    }
    m_nFileSize = file.size();
    CfbCheckResult check = CheckCompoundFile(file);
    if (check.verdict == CfbCheckResult::kNotCompoundFile) {
      strError = "not a compound file";
      return false;
    }
    if (check.verdict == CfbCheckResult::kDamaged) {
      strError = "damaged compound file: " + check.strProblem;
      return false;
    }
  }
  std::basic_string<WCHAR> name = m_host.StorageName(strPath);
  IStorage* pStorage = nullptr;
  m_host.TakeStorageMessages();
  HRESULT hr = StgOpenStorage(name.c_str(), nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0,
                              &pStorage);
  if (FAILED(hr) || pStorage == nullptr) {
    strError = "the compound file cannot be opened";
    const std::string strSaid = m_host.TakeStorageMessages();
    if (!strSaid.empty()) strError += ": " + strSaid;
    return false;
  }
  m_pStorage.reset(pStorage);
  ListElements();
  m_strOpenMessages = m_host.TakeStorageMessages();
  return true;
}

void ReportReader::ListElements() {
  IEnumSTATSTG* pEnum = nullptr;
  if (FAILED(m_pStorage->EnumElements(0, nullptr, 0, &pEnum)) || pEnum == nullptr) return;
  ComRef<IEnumSTATSTG> owner(pEnum);
  for (;;) {
    StatName element;
    ULONG nFetched = 0;
    if (pEnum->Next(1, &element.st, &nFetched) != S_OK || nFetched != 1) break;
    std::string name = NarrowName(element.st.pwcsName);
    if (element.st.type != STGTY_STREAM || FindReportStream(name) == nullptr) {
      m_otherElements.push_back(name);
    }
  }
}

LoadedStream ReportReader::Load(const StreamSpec& spec) {
  m_host.TakeStorageMessages();
  LoadedStream result = LoadStream(spec);
  // What the storage layer said of the file and of this stream may explain a
  // failure, and joins its one message. A stream that loaded whole needs no
  // explaining: its every byte was checked by its record.
  std::string strSaid = m_strOpenMessages;
  const std::string strSaidNow = m_host.TakeStorageMessages();
  // libgsf repeats itself when a stream is opened again.
  if (!strSaidNow.empty() && strSaid.find(strSaidNow) == std::string::npos) {
    strSaid += (strSaid.empty() ? "" : "; ") + strSaidNow;
  }
  if (!result.strProblem.empty() && !strSaid.empty()) result.strProblem += " (" + strSaid + ")";
  return result;
}

LoadedStream ReportReader::LoadStream(const StreamSpec& spec) {
  LoadedStream result;
  result.pSpec = &spec;
  IStream* pStream = nullptr;
  std::basic_string<WCHAR> name = WideName(spec.pszName);
  if (FAILED(m_pStorage->OpenStream(name.c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0,
                                    &pStream)) ||
      pStream == nullptr) {
    result.strProblem = std::string("stream ") + spec.pszName + " is missing";
    return result;
  }
  ComRef<IStream> owner(pStream);
  StatName stat;
  if (FAILED(pStream->Stat(&stat.st, STATFLAG_NONAME))) {
    result.state = LoadedStream::kFailed;
    result.strProblem = Problem(spec.pszName, 0, "its size cannot be read");
    return result;
  }
  // Records allocate no more than the stream's size says is left. The check
  // has bounded every stream by its chain inside the file; this keeps that
  // bound should the storage layer say otherwise.
  const unsigned long long nSize = stat.st.cbSize.QuadPart;
  if (nSize > m_nFileSize) {
    result.state = LoadedStream::kFailed;
    result.strProblem = Problem(spec.pszName, 0, "the stream is larger than the file");
    return result;
  }
  // The archive reads the stream through its own buffer, so no copy of the
  // whole stream is held beside the objects loaded from it.
  owner.release();
  COleStreamFile file(pStream, spec.pszName);
  return LoadFrom(spec, file, nSize);
}

LoadedStream ReportReader::LoadBytes(const StreamSpec& spec, std::vector<BYTE> bytes) {
  const unsigned long long nSize = bytes.size();
  CMemFile file(std::move(bytes));
  return LoadFrom(spec, file, nSize);
}

LoadedStream ReportReader::LoadFrom(const StreamSpec& spec, CFile& file, unsigned long long nSize) {
  LoadedStream result;
  result.pSpec = &spec;
  result.nBytes = nSize;
  result.state = LoadedStream::kFailed;
  CArchive ar(&file, CArchive::load, kLoadBufferSize);
  try {
    std::unique_ptr<CObject> pObject(spec.pClass->CreateObject());
    pObject->Serialize(ar);
    ULONGLONG nEnd = ar.GetPosition();
    ar.Abort();
    result.state = LoadedStream::kLoaded;
    result.pObject = std::move(pObject);
    if (nEnd < result.nBytes) {
      result.strProblem =
          Problem(spec.pszName, nEnd, std::to_string(result.nBytes - nEnd) + " bytes follow the record");
    }
  } catch (CArchiveException& e) {
    e.m_strFileName = spec.pszName;
    result.strProblem = Problem(spec.pszName, ar.GetPosition(), e.GetErrorMessage());
    ar.Abort();
  } catch (const CFileException&) {
    // The storage layer could not give the bytes behind those already read.
    result.strProblem = Problem(spec.pszName, file.GetPosition(), "the stream cannot be read past this point");
    ar.Abort();
  } catch (const CException& e) {
    result.strProblem = Problem(spec.pszName, ar.GetPosition(), e.GetErrorMessage());
    ar.Abort();
  } catch (const std::bad_alloc&) {
    result.strProblem = Problem(spec.pszName, ar.GetPosition(), "out of memory");
    ar.Abort();
  } catch (const std::exception& e) {
    // Whatever else a record's load raises fails this stream only.
    result.strProblem = Problem(spec.pszName, ar.GetPosition(), e.what());
    ar.Abort();
  }
  return result;
}

}  // namespace tovdump
