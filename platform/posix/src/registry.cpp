// Registry reads over the machine model's key tree.
#include <cstring>

#include "platform/machine/registry_key.h"
#include "platform/posix/src/machine_access.h"
#include "win32_api.h"

namespace {

using tov::machine::kRegistryKeyHandle;
using tov::machine::Machine;
using tov::machine::RegistryKey;
using tov::machine::RegistryValue;

struct OpenKey : tov::machine::HandleObject {
  explicit OpenKey(const RegistryKey* k) : key(k) {}
  const RegistryKey* key;
};

// The tree node behind a handle: HKEY_LOCAL_MACHINE or a key opened on this
// machine; null for anything else.
const RegistryKey* KeyOf(Machine& m, HKEY hKey) {
  if (hKey == HKEY_LOCAL_MACHINE) return &m.Registry();
  auto open = m.Handles().Find<OpenKey>(reinterpret_cast<uintptr_t>(hKey), {kRegistryKeyHandle});
  return open ? open->key : nullptr;
}

// Walks a relative path. Empty parts (a doubled or trailing backslash) are
// passed over, as the platform does; a leading backslash is refused there and
// here by the caller.
const RegistryKey* Walk(const RegistryKey* key, const char* path) {
  while (key != nullptr && *path != '\0') {
    const char* end = std::strchr(path, '\\');
    size_t len = end ? static_cast<size_t>(end - path) : std::strlen(path);
    if (len > 0) key = key->FindSubkey(std::string_view(path, len));
    path += len;
    if (*path == '\\') ++path;
  }
  return key;
}

}  // namespace

LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, REGSAM, PHKEY phkResult) {
  Machine* m = tov::posix::MachineFor("RegOpenKeyExA");
  if (m == nullptr) return static_cast<LONG>(GetLastError());
  if (phkResult == nullptr) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  const RegistryKey* parent = KeyOf(*m, hKey);
  if (parent == nullptr) return ERROR_INVALID_HANDLE;
  if (lpSubKey != nullptr && lpSubKey[0] == '\\') return ERROR_BAD_PATHNAME;
  if (hKey == HKEY_LOCAL_MACHINE && (lpSubKey == nullptr || lpSubKey[0] == '\0')) {
    // The root itself: its predefined handle, which needs no closing.
    *phkResult = HKEY_LOCAL_MACHINE;
    return ERROR_SUCCESS;
  }
  const RegistryKey* key = Walk(parent, lpSubKey != nullptr ? lpSubKey : "");
  if (key == nullptr) return ERROR_FILE_NOT_FOUND;
  uintptr_t handle = m->Handles().Open(kRegistryKeyHandle, std::make_shared<OpenKey>(key));
  *phkResult = reinterpret_cast<HKEY>(handle);
  return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                      LPBYTE lpData, LPDWORD lpcbData) {
  Machine* m = tov::posix::MachineFor("RegQueryValueExA");
  if (m == nullptr) return static_cast<LONG>(GetLastError());
  if (lpReserved != nullptr || (lpData != nullptr && lpcbData == nullptr)) {
    return ERROR_INVALID_PARAMETER;
  }
  const RegistryKey* key = KeyOf(*m, hKey);
  if (key == nullptr) return ERROR_INVALID_HANDLE;
  const RegistryValue* value = key->FindValue(lpValueName != nullptr ? lpValueName : "");
  if (value == nullptr) return ERROR_FILE_NOT_FOUND;
  if (lpType != nullptr) *lpType = value->type;
  if (lpcbData == nullptr) return ERROR_SUCCESS;
  DWORD room = *lpcbData;
  DWORD size = static_cast<DWORD>(value->data.size());
  *lpcbData = size;
  if (lpData == nullptr) return ERROR_SUCCESS;
  // A value that does not fit is refused whole: the caller never sees a cut
  // value, and no terminator is added to a string stored without one.
  if (size > room) return ERROR_MORE_DATA;
  if (size > 0) std::memcpy(lpData, value->data.data(), size);
  return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY hKey) {
  Machine* m = tov::posix::MachineFor("RegCloseKey");
  if (m == nullptr) return static_cast<LONG>(GetLastError());
  if (hKey == HKEY_LOCAL_MACHINE) return ERROR_SUCCESS;
  bool closed = m->Handles().Close(reinterpret_cast<uintptr_t>(hKey), {kRegistryKeyHandle});
  return closed ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}
