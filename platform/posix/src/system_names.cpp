// The computer name and Windows directory of the installed machine.
#include <cstring>

#include "platform/posix/src/machine_access.h"
#include "win32_api.h"

UINT GetWindowsDirectoryA(LPSTR lpBuffer, UINT uSize) {
  tov::machine::Machine* m = tov::posix::MachineFor("GetWindowsDirectoryA");
  if (m == nullptr) return 0;
  const std::string& dir = m->WindowsDirectory();
  UINT length = static_cast<UINT>(dir.size());
  if (lpBuffer == nullptr || uSize <= length) return length + 1;
  std::memcpy(lpBuffer, dir.c_str(), length + 1);
  return length;
}

BOOL GetComputerNameA(LPSTR lpBuffer, LPDWORD nSize) {
  tov::machine::Machine* m = tov::posix::MachineFor("GetComputerNameA");
  if (m == nullptr) return FALSE;
  if (nSize == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const std::string& name = m->ComputerName();
  DWORD length = static_cast<DWORD>(name.size());
  if (lpBuffer == nullptr || *nSize <= length) {
    *nSize = length + 1;
    SetLastError(ERROR_BUFFER_OVERFLOW);
    return FALSE;
  }
  std::memcpy(lpBuffer, name.c_str(), length + 1);
  *nSize = length;
  return TRUE;
}
