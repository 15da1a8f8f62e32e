#include "report/report.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "app/framework/win_app.h"
#include "report/ole_stream_file.h"

namespace {

// A stream name as the storage takes it, made when the program is built:
// naming a stream allocates nothing, so every stream of a created file is
// attempted even when memory runs out. The names are ASCII, so each
// character widens to its UTF-16 unit without a code page.
template <size_t N>
struct StreamName {
  constexpr explicit StreamName(const char (&name)[N]) {
    for (size_t i = 0; i < N; ++i) text[i] = static_cast<WCHAR>(name[i]);
  }
  WCHAR text[N] = {};
};

constexpr StreamName kDevMan("DevMan");
constexpr StreamName kServices("Services");
constexpr StreamName kEvLogSystem("EvLog_System");
constexpr StreamName kEvLogNorvan("EvLog_Norvan");
constexpr StreamName kEvLogSecurity("EvLog_Security");

std::string Narrow(const WCHAR* text) {
  std::string out;
  for (; *text != 0; ++text) out.push_back(*text < 0x80 ? static_cast<char>(*text) : '?');
  return out;
}

}  // namespace

CReport::CReport() {
  m_logSystem.m_strLogName = "System";
  m_logNorvan.m_strLogName = "Norvan";
  m_logSecurity.m_strLogName = "Security";
}

CReport::~CReport() = default;

DWORD CReport::WriteReport(const char* lpszFileName) {
  size_t nLength = std::strlen(lpszFileName);
  std::vector<WCHAR> name(nLength + 1);
  if (MultiByteToWideChar(CP_THREAD_ACP, 0, lpszFileName, -1, name.data(),
                          static_cast<int>(nLength + 1)) == 0) {
    // Without a name the platform would make a file of a name of its own,
    // which nobody would look for.
    m_hrCreate = E_INVALIDARG;
    return 0;
  }
  IStorage* pStorage = nullptr;
  m_hrCreate = StgCreateStorageEx(name.data(), STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_READWRITE,
                                  STGFMT_STORAGE, 0, nullptr, nullptr, IID_IStorage,
                                  reinterpret_cast<void**>(&pStorage));
  if (m_hrCreate != S_OK) {
    if (pStorage != nullptr) pStorage->Release();
    return 0;
  }
  m_pStorage.reset(pStorage);
  // Every stream is attempted, whatever became of the ones before, even when
  // memory runs out while a failed one is being reported.
  auto write = [this](CObject* pObject, const WCHAR* lpszStreamName) -> DWORD {
    try {
      return WriteStream(pObject, lpszStreamName);
    } catch (const std::bad_alloc&) {
      NoteWriteFailure(E_OUTOFMEMORY);
      return 0;
    }
  };
  DWORD nWritten = 0;
  nWritten |= write(&m_devTree, kDevMan.text);
  nWritten |= write(&m_services, kServices.text);
  nWritten |= write(&m_logSystem, kEvLogSystem.text);
  nWritten |= write(&m_logNorvan, kEvLogNorvan.text);
  nWritten |= write(&m_logSecurity, kEvLogSecurity.text);
  // A stream that could not be made or written whole leaves the others as
  // they are: the file keeps every stream that was written, and m_hrCreate
  // keeps the first failure so that the run does not end as a success.
  return nWritten;
}

DWORD CReport::WriteStream(CObject* pObject, const WCHAR* lpszStreamName) {
  if (!m_pStorage) return 0;
  IStream* pStream = nullptr;
  HRESULT hr =
      m_pStorage->CreateStream(lpszStreamName, STGM_SHARE_EXCLUSIVE | STGM_READWRITE, 0, 0, &pStream);
  if (pStream == nullptr) {
    NoteWriteFailure(FAILED(hr) ? hr : STG_E_WRITEFAULT);
    return 0;
  }
  ComRef<IStream> stream(pStream);
  std::string strError;
  HRESULT hrFailure = STG_E_WRITEFAULT;
  try {
    std::string strName = Narrow(lpszStreamName);
    COleStreamFile file(stream.release(), std::move(strName));
    CArchive ar(&file, CArchive::store, CArchive::kDefaultBufferSize);
    try {
      pObject->Serialize(ar);
      ar.Close();
      file.Close();
      return 1;
    } catch (...) {
      // Bytes still in the buffer are dropped; what was flushed stays in the stream.
      ar.Abort();
      file.Abort();
      throw;
    }
  } catch (CArchiveException& e) {
    e.m_strFileName = Narrow(lpszStreamName);
    strError = e.GetErrorMessage();
  } catch (CFileException& e) {
    e.m_strFileName = Narrow(lpszStreamName);
    if (FAILED(e.m_lOsError)) hrFailure = static_cast<HRESULT>(e.m_lOsError);
    strError = e.GetErrorMessage();
  } catch (const std::exception& e) {
    // Anything else that stops a stream (memory running out, for one) is
    // reported like a failing file: the stream is named, the next one follows.
    if (dynamic_cast<const std::bad_alloc*>(&e) != nullptr) hrFailure = E_OUTOFMEMORY;
    strError = CFileException(0, Narrow(lpszStreamName)).GetErrorMessage();
  }
  NoteWriteFailure(hrFailure);
  AfxMessageBox(strError, MB_OK);
  return 0;
}

void CReport::NoteWriteFailure(HRESULT hr) {
  if (m_hrCreate == S_OK) m_hrCreate = hr;
}

std::string StorageErrorText(HRESULT hr) {
  switch (hr) {
    case STG_E_PATHNOTFOUND:
    case STG_E_FILENOTFOUND:
      return "the folder does not exist";
    case STG_E_ACCESSDENIED:
      return "access is denied";
    case STG_E_MEDIUMFULL:
      return "the disk is full";
    case E_OUTOFMEMORY:
    case STG_E_INSUFFICIENTMEMORY:
      return "there is not enough memory";
    case STG_E_INVALIDNAME:
    case E_INVALIDARG:
      return "the name is not valid";
    default: {
      char text[32];
      std::snprintf(text, sizeof text, "error 0x%08X", static_cast<unsigned>(hr));
      return text;
    }
  }
}
