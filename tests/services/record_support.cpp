#include "tests/services/record_support.h"

namespace tov::test {

Bytes StoreRecord(CObject& object) {
  return StoreBytes([&](CArchive& ar) { object.Serialize(ar); });
}

void LoadRecord(const Bytes& bytes, CObject& object) {
  LoadBytes(bytes, [&](CArchive& ar) { object.Serialize(ar); });
}

Bytes Str(const std::string& text) {
  return Cat({Bytes(1, static_cast<BYTE>(text.size())), Text(text)});
}

Bytes Zeros(size_t count) { return Bytes(count, 0); }

const CSCMService* FindService(const CSCMServiceMan& man, const std::string& name) {
  for (const CSCMService* s = man.m_pFirst; s != nullptr; s = s->m_pNext) {
    if (s->m_strServiceName == name) return s;
  }
  return nullptr;
}

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
