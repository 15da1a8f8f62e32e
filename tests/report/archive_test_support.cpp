// Helpers of the archive tests.
#include "tests/report/archive_test_support.h"

#include <cstdio>

#include "report/mem_file.h"

Bytes StoreBytes(const std::function<void(CArchive&)>& fn, UINT nBufSize) {
  CMemFile file;
  CArchive ar(&file, CArchive::store, nBufSize);
  fn(ar);
  ar.Close();
  return file.Data();
}

ULONGLONG LoadBytes(const Bytes& bytes, const std::function<void(CArchive&)>& fn, UINT nBufSize) {
  CMemFile file(bytes);
  CArchive ar(&file, CArchive::load, nBufSize);
  fn(ar);
  return ar.GetPosition();
}

int ArchiveErrorCause(const std::function<void()>& fn) {
  try {
    fn();
  } catch (const CArchiveException& e) {
    return e.m_cause;
  }
  return -1;
}

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

Bytes U16(WORD w) { return {static_cast<BYTE>(w), static_cast<BYTE>(w >> 8)}; }

Bytes U32(DWORD dw) { return Cat({U16(static_cast<WORD>(dw)), U16(static_cast<WORD>(dw >> 16))}); }

Bytes Text(const std::string& str) { return Bytes(str.begin(), str.end()); }

Bytes ClassRecord(WORD wSchema, const std::string& name) {
  return Cat({U16(0xFFFF), U16(wSchema), U16(static_cast<WORD>(name.size())), Text(name)});
}

std::string Hex(const Bytes& bytes) {
  std::string out;
  char sz[4];
  for (BYTE b : bytes) {
    std::snprintf(sz, sizeof sz, "%02x ", b);
    out += sz;
  }
  return out;
}
