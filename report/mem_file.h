/// A file held in memory: the target of archives in tests and benchmarks, and
/// the source the reader loads a stream into.
#pragma once

#include <vector>

#include "report/file.h"

/// A growable byte block with a read/write position.
class CMemFile : public CFile {
 public:
  CMemFile() = default;
  /// A file holding these bytes, positioned at the start.
  explicit CMemFile(std::vector<BYTE> data);

  UINT Read(void* lpBuf, UINT nCount) override;
  void Write(const void* lpBuf, UINT nCount) override;
  ULONGLONG GetLength() const override { return m_data.size(); }
  ULONGLONG GetPosition() const override { return m_nPosition; }
  void Close() override {}
  void Abort() override {}

  /// Moves the position back to the first byte, to read what was written.
  void SeekToBegin() { m_nPosition = 0; }
  const std::vector<BYTE>& Data() const { return m_data; }

 private:
  std::vector<BYTE> m_data;
  size_t m_nPosition = 0;
};
