/// The byte file an archive reads from or writes to: a memory block here, a
/// compound-file stream in the report writer.
#pragma once

#include "win32_api.h"

/// A sequential byte file. Write raises CFileException when the bytes cannot
/// be stored; Read returns how many bytes it gave, 0 at the end.
class CFile {
 public:
  virtual ~CFile() = default;

  virtual UINT Read(void* lpBuf, UINT nCount) = 0;
  virtual void Write(const void* lpBuf, UINT nCount) = 0;
  virtual ULONGLONG GetLength() const = 0;
  virtual ULONGLONG GetPosition() const = 0;
  /// Releases the file; may raise CFileException.
  virtual void Close() = 0;
  /// Releases the file without raising anything, after a failure.
  virtual void Abort() = 0;

 protected:
  CFile() = default;
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;
};
