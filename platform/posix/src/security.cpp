// Account lookup over the machine model's accounts.
#include <cstring>
#include <vector>

#include "platform/machine/account_model.h"
#include "platform/posix/src/machine_access.h"
#include "win32_api.h"

namespace {

constexpr DWORD kSidHeadSize = 8;

}  // namespace

BOOL LookupAccountSidA(LPCSTR lpSystemName, PSID Sid, LPSTR Name, LPDWORD cchName,
                       LPSTR ReferencedDomainName, LPDWORD cchReferencedDomainName,
                       PSID_NAME_USE peUse) {
  tov::machine::Machine* m = tov::posix::MachineFor("LookupAccountSidA");
  if (m == nullptr) return FALSE;
  if (lpSystemName != nullptr || Sid == nullptr || cchName == nullptr ||
      cchReferencedDomainName == nullptr || peUse == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const BYTE* head = static_cast<const BYTE*>(Sid);
  if (head[0] != SID_REVISION || head[1] > SID_MAX_SUB_AUTHORITIES) {
    SetLastError(ERROR_INVALID_SID);
    return FALSE;
  }
  std::vector<uint8_t> sid(head, head + kSidHeadSize + 4 * DWORD{head[1]});
  const tov::machine::Account* account = m->Accounts().Find(sid);
  if (account == nullptr) {
    SetLastError(ERROR_NONE_MAPPED);
    return FALSE;
  }
  const DWORD name_size = static_cast<DWORD>(account->name.size()) + 1;
  const DWORD domain_size = static_cast<DWORD>(account->domain.size()) + 1;
  if (Name == nullptr || *cchName < name_size || ReferencedDomainName == nullptr ||
      *cchReferencedDomainName < domain_size) {
    *cchName = name_size;
    *cchReferencedDomainName = domain_size;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  std::memcpy(Name, account->name.c_str(), name_size);
  std::memcpy(ReferencedDomainName, account->domain.c_str(), domain_size);
  *cchName = name_size - 1;
  *cchReferencedDomainName = domain_size - 1;
  *peUse = static_cast<SID_NAME_USE>(account->use);
  return TRUE;
}
