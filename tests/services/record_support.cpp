#include "tests/services/record_support.h"

#include <algorithm>

#include "report/mem_file.h"

namespace tov::test {

Bytes StoreRecord(CObject& object) {
  CMemFile file;
  CArchive ar(&file, CArchive::store);
  object.Serialize(ar);
  ar.Close();
  return file.Data();
}

void LoadRecord(const Bytes& bytes, CObject& object) {
  CMemFile file(bytes);
  CArchive ar(&file, CArchive::load);
  object.Serialize(ar);
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
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

Bytes U16(WORD value) { return {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8)}; }

Bytes U32(DWORD value) {
  return {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8), static_cast<BYTE>(value >> 16),
          static_cast<BYTE>(value >> 24)};
}

Bytes Str(const std::string& text) {
  // Only the short form: the tests' texts stay below 255 bytes.
  Bytes out(1 + text.size());
  out[0] = static_cast<BYTE>(text.size());
  std::copy(text.begin(), text.end(), out.begin() + 1);
  return out;
}

Bytes Zeros(size_t count) { return Bytes(count, 0); }

CSCMService& AppendService(CSCMServiceMan& man, const std::string& name) {
  auto* service = new CSCMService;
  service->m_strServiceName = name;
  service->m_pOwner = &man;
  if (man.m_pLast != nullptr) {
    man.m_pLast->m_pNext = service;
  } else {
    man.m_pFirst = service;
  }
  man.m_pLast = service;
  ++man.m_nCount;
  return *service;
}

}  // namespace tov::test
