#include "report/report.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "app/framework/win_app.h"
#include "report/ole_stream_file.h"

namespace {

// Stream names are ASCII, so each character widens to its UTF-16 unit and
// back without a code page.
std::basic_string<WCHAR> Widen(const char* text) {
  std::basic_string<WCHAR> out;
  for (; *text != '\0'; ++text) out.push_back(static_cast<WCHAR>(*text));
  return out;
}

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
  DWORD result = 0;
  result |= WriteStream(&m_devTree, Widen("DevMan").c_str());
  result |= WriteStream(&m_services, Widen("Services").c_str());
  result |= WriteStream(&m_logSystem, Widen("EvLog_System").c_str());
  result |= WriteStream(&m_logNorvan, Widen("EvLog_Norvan").c_str());
  result |= WriteStream(&m_logSecurity, Widen("EvLog_Security").c_str());
  return result;
}

DWORD CReport::WriteStream(CObject* pObject, const WCHAR* lpszStreamName) {
  if (!m_pStorage) return 0;
  IStream* pStream = nullptr;
  m_pStorage->CreateStream(lpszStreamName, STGM_SHARE_EXCLUSIVE | STGM_READWRITE, 0, 0, &pStream);
  if (pStream == nullptr) return 0;
  std::string strName = Narrow(lpszStreamName);
  COleStreamFile file(pStream, strName);
  CArchive ar(&file, CArchive::store, CArchive::kDefaultBufferSize);
  std::string strError;
  try {
    pObject->Serialize(ar);
    ar.Close();
    file.Close();
    return 1;
  } catch (CArchiveException& e) {
    e.m_strFileName = strName;
    strError = e.GetErrorMessage();
  } catch (CFileException& e) {
    e.m_strFileName = strName;
    strError = e.GetErrorMessage();
  } catch (const std::exception&) {
    // Anything else that stops a stream (memory running out, for one) is
    // reported like a failing file: the stream is named, the next one follows.
    strError = CFileException(0, strName).GetErrorMessage();
  }
  // Bytes still in the buffer are dropped; what was flushed stays in the stream.
  ar.Abort();
  file.Abort();
  AfxMessageBox(strError, MB_OK);
  return 0;
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
