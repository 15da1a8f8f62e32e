#include "report/ole_stream_file.h"

#include "report/exceptions.h"

COleStreamFile::COleStreamFile(IStream* pStream, std::string strFileName)
    : m_pStream(pStream), m_strFileName(std::move(strFileName)) {}

UINT COleStreamFile::Read(void* lpBuf, UINT nCount) {
  if (!m_pStream) throw CFileException(static_cast<LONG>(E_FAIL), m_strFileName);
  ULONG nRead = 0;
  HRESULT hr = m_pStream->Read(lpBuf, nCount, &nRead);
  if (FAILED(hr)) throw CFileException(static_cast<LONG>(hr), m_strFileName);
  m_nPosition += nRead;
  return nRead;
}

void COleStreamFile::Write(const void* lpBuf, UINT nCount) {
  if (!m_pStream) throw CFileException(static_cast<LONG>(E_FAIL), m_strFileName);
  ULONG nWritten = 0;
  HRESULT hr = m_pStream->Write(lpBuf, nCount, &nWritten);
  if (FAILED(hr)) throw CFileException(static_cast<LONG>(hr), m_strFileName);
  m_nPosition += nWritten;
  // A stream that takes fewer bytes than given has run out of room.
  if (nWritten != nCount) throw CFileException(static_cast<LONG>(STG_E_MEDIUMFULL), m_strFileName);
}

ULONGLONG COleStreamFile::GetLength() const {
  STATSTG stat = {};
  if (!m_pStream || FAILED(m_pStream->Stat(&stat, STATFLAG_NONAME))) return 0;
  return stat.cbSize.QuadPart;
}

void COleStreamFile::Close() { m_pStream.reset(); }

void COleStreamFile::Abort() { m_pStream.reset(); }
