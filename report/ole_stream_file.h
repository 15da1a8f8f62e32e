/// The file an archive writes a report stream through: a CFile over one
/// stream of a compound file.
#pragma once

#include <string>

#include "report/com_ref.h"
#include "report/file.h"
#include "win32_api.h"

/// Takes over one reference to an IStream. Write raises CFileException, with
/// the platform's error code and the file's name, when the stream does not
/// take all the bytes.
class COleStreamFile : public CFile {
 public:
  COleStreamFile(IStream* pStream, std::string strFileName);

  UINT Read(void* lpBuf, UINT nCount) override;
  void Write(const void* lpBuf, UINT nCount) override;
  ULONGLONG GetLength() const override;
  ULONGLONG GetPosition() const override { return m_nPosition; }
  /// Releases the stream.
  void Close() override;
  /// Releases the stream; never raises.
  void Abort() override;

 private:
  ComRef<IStream> m_pStream;
  std::string m_strFileName;
  ULONGLONG m_nPosition = 0;
};
