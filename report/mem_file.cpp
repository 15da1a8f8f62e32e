// Memory file.
#include "report/mem_file.h"

#include <algorithm>
#include <cstring>

CMemFile::CMemFile(std::vector<BYTE> data) : m_data(std::move(data)) {}

UINT CMemFile::Read(void* lpBuf, UINT nCount) {
  if (m_nPosition >= m_data.size()) return 0;
  size_t n = std::min<size_t>(nCount, m_data.size() - m_nPosition);
  std::memcpy(lpBuf, m_data.data() + m_nPosition, n);
  m_nPosition += n;
  return static_cast<UINT>(n);
}

void CMemFile::Write(const void* lpBuf, UINT nCount) {
  if (nCount == 0) return;
  if (m_data.size() < m_nPosition + nCount) m_data.resize(m_nPosition + nCount);
  std::memcpy(m_data.data() + m_nPosition, lpBuf, nCount);
  m_nPosition += nCount;
}
