// The archive's buffer: construction, the slow paths of the value operators,
// raw blocks, and the end of an archive's life.
#include "report/archive.h"

#include <algorithm>

// Values are copied to and from the buffer in memory order; the stored order
// is little-endian, which every target of this program is.
#if defined(__BYTE_ORDER__) && defined(__ORDER_LITTLE_ENDIAN__)
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the archive format is little-endian");
#endif

CArchive::CArchive(CFile* pFile, UINT nMode, UINT nBufSize)
    : m_pFile(pFile),
      m_nMode(nMode),
      m_nBufSize(std::max(nBufSize, kMinBufferSize)),
      m_buffer(new BYTE[m_nBufSize]),
      m_pBufStart(m_buffer.get()),
      m_pBufCur(m_pBufStart),
      m_pWriteMax(IsStoring() ? m_pBufStart + m_nBufSize : m_pBufStart),
      m_pReadMax(m_pBufStart),
      m_nBufferOffset(pFile->GetPosition()) {
  if (IsLoading()) m_loadMap.push_back(0);  // index 0: null
}

CArchive::~CArchive() = default;

ULONGLONG CArchive::GetPosition() const {
  return m_nBufferOffset + static_cast<ULONGLONG>(m_pBufCur - m_pBufStart);
}

void CArchive::CheckCanWrite() const {
  if (m_pFile == nullptr) ThrowArchiveException(CArchiveException::genericException);
  if (IsLoading()) ThrowArchiveException(CArchiveException::readOnly);
}

void CArchive::CheckCanRead() const {
  if (m_pFile == nullptr) ThrowArchiveException(CArchiveException::genericException);
  if (IsStoring()) ThrowArchiveException(CArchiveException::writeOnly);
}

void CArchive::Flush() {
  if (m_pFile == nullptr || IsLoading() || m_pBufCur == m_pBufStart) return;
  UINT n = static_cast<UINT>(m_pBufCur - m_pBufStart);
  m_pFile->Write(m_pBufStart, n);
  m_nBufferOffset += n;
  m_pBufCur = m_pBufStart;
}

void CArchive::Close() {
  if (m_pFile == nullptr) return;
  Flush();
  Detach();
}

void CArchive::Abort() { Detach(); }

void CArchive::Detach() {
  m_pFile = nullptr;
  m_pBufCur = m_pWriteMax = m_pReadMax = m_pBufStart;
}

void CArchive::MakeRoomToWrite() {
  CheckCanWrite();
  Flush();  // every value fits an empty buffer (kMinBufferSize)
}

void CArchive::FillToRead(size_t nCount) {
  CheckCanRead();
  // Keep the unread tail, move it to the front, and read behind it until the
  // request fits; one file read normally fills the whole buffer.
  size_t nHave = static_cast<size_t>(m_pReadMax - m_pBufCur);
  std::memmove(m_pBufStart, m_pBufCur, nHave);
  m_nBufferOffset += static_cast<ULONGLONG>(m_pBufCur - m_pBufStart);
  m_pBufCur = m_pBufStart;
  m_pReadMax = m_pBufStart + nHave;
  while (nHave < nCount) {
    UINT nGot = m_pFile->Read(m_pReadMax, m_nBufSize - static_cast<UINT>(nHave));
    if (nGot == 0) ThrowArchiveException(CArchiveException::endOfFile);
    m_pReadMax += nGot;
    nHave += nGot;
  }
}

void CArchive::Write(const void* lpBuf, UINT nCount) {
  const BYTE* p = static_cast<const BYTE*>(lpBuf);
  std::ptrdiff_t nRoom = m_pWriteMax - m_pBufCur;
  if (nRoom >= static_cast<std::ptrdiff_t>(nCount)) {
    if (nCount != 0) std::memcpy(m_pBufCur, p, nCount);
    m_pBufCur += nCount;
    return;
  }
  CheckCanWrite();
  std::memcpy(m_pBufCur, p, static_cast<size_t>(nRoom));
  m_pBufCur += nRoom;
  p += nRoom;
  nCount -= static_cast<UINT>(nRoom);
  Flush();
  // A block of a buffer or more goes to the file directly, not in pieces.
  if (nCount >= m_nBufSize) {
    m_pFile->Write(p, nCount);
    m_nBufferOffset += nCount;
    return;
  }
  std::memcpy(m_pBufCur, p, nCount);
  m_pBufCur += nCount;
}

void CArchive::Read(void* lpBuf, UINT nCount) {
  BYTE* p = static_cast<BYTE*>(lpBuf);
  std::ptrdiff_t nHave = m_pReadMax - m_pBufCur;
  if (nHave >= static_cast<std::ptrdiff_t>(nCount)) {
    if (nCount != 0) std::memcpy(p, m_pBufCur, nCount);
    m_pBufCur += nCount;
    return;
  }
  // All or nothing: a short block raises endOfFile before any byte is taken.
  EnsureAvailable(nCount);
  std::memcpy(p, m_pBufCur, static_cast<size_t>(nHave));
  m_pBufCur += nHave;
  p += nHave;
  nCount -= static_cast<UINT>(nHave);
  if (nCount >= m_nBufSize) {
    m_nBufferOffset += static_cast<ULONGLONG>(m_pBufCur - m_pBufStart);
    m_pBufCur = m_pReadMax = m_pBufStart;
    while (nCount != 0) {
      UINT nGot = m_pFile->Read(p, nCount);
      if (nGot == 0) ThrowArchiveException(CArchiveException::endOfFile);
      p += nGot;
      nCount -= nGot;
      m_nBufferOffset += nGot;
    }
    return;
  }
  FillToRead(nCount);
  std::memcpy(p, m_pBufCur, nCount);
  m_pBufCur += nCount;
}

void CArchive::EnsureAvailable(ULONGLONG nCount) {
  CheckCanRead();
  ULONGLONG nBuffered = static_cast<ULONGLONG>(m_pReadMax - m_pBufCur);
  if (nCount <= nBuffered) return;
  ULONGLONG nLength = m_pFile->GetLength();
  ULONGLONG nPosition = m_pFile->GetPosition();
  ULONGLONG nInFile = nLength > nPosition ? nLength - nPosition : 0;
  if (nCount - nBuffered > nInFile) ThrowArchiveException(CArchiveException::endOfFile);
}

UINT CArchive::GetObjectSchema() {
  UINT nSchema = m_nObjectSchema;
  m_nObjectSchema = static_cast<UINT>(-1);
  return nSchema;
}
