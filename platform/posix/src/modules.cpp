// Libraries and data modules over the machine model.
#include <string>

#include "platform/posix/src/machine_access.h"
#include "platform/posix/src/module_access.h"
#include "platform/posix/src/system_exports.h"
#include "win32_api.h"

namespace {

using tov::machine::HandleKind;
using tov::machine::Machine;
using tov::machine::MachineFile;
using tov::machine::MachineLibrary;

inline constexpr HandleKind kLibraryHandle{"library"};
inline constexpr HandleKind kDataModuleHandle{"data module"};

struct LoadedLibrary : tov::machine::HandleObject {
  LoadedLibrary(std::string n, const MachineLibrary* l) : name(std::move(n)), library(l) {}
  std::string name;
  const MachineLibrary* library;
};

struct DataModule : tov::machine::HandleObject {
  explicit DataModule(const MachineFile* f) : file(f) {}
  const MachineFile* file;
};

HMODULE ToModule(uintptr_t handle) { return reinterpret_cast<HMODULE>(handle); }
uintptr_t FromModule(HMODULE module) { return reinterpret_cast<uintptr_t>(module); }

HMODULE LoadLibraryOn(Machine& m, LPCSTR name) {
  const MachineLibrary* library = name != nullptr ? m.Libraries().Find(name) : nullptr;
  if (library == nullptr) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  return ToModule(m.Handles().Open(kLibraryHandle, std::make_shared<LoadedLibrary>(name, library)));
}

// A bare file name is looked for in the system folder, where message and
// resource files registered without a path live.
const MachineFile* FindModuleFile(const Machine& m, const std::string& name) {
  if (const MachineFile* file = m.Files().Find(name)) return file;
  if (name.find('\\') != std::string::npos || name.find('/') != std::string::npos) return nullptr;
  return m.Files().Find(m.WindowsDirectory() + "\\System32\\" + name);
}

}  // namespace

namespace tov::posix {

const MachineFile* DataModuleFile(Machine& m, HMODULE module) {
  auto data = m.Handles().Find<DataModule>(FromModule(module), {kDataModuleHandle});
  return data ? data->file : nullptr;
}

}  // namespace tov::posix

HMODULE LoadLibraryA(LPCSTR lpLibFileName) {
  Machine* m = tov::posix::MachineFor("LoadLibraryA");
  return m != nullptr ? LoadLibraryOn(*m, lpLibFileName) : nullptr;
}

HMODULE LoadLibraryExA(LPCSTR lpLibFileName, HANDLE hFile, DWORD dwFlags) {
  Machine* m = tov::posix::MachineFor("LoadLibraryExA");
  if (m == nullptr) return nullptr;
  if (hFile != nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if ((dwFlags & LOAD_LIBRARY_AS_DATAFILE) == 0) return LoadLibraryOn(*m, lpLibFileName);
  const MachineFile* file = lpLibFileName != nullptr ? FindModuleFile(*m, lpLibFileName) : nullptr;
  if (file == nullptr) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  return ToModule(m->Handles().Open(kDataModuleHandle, std::make_shared<DataModule>(file)));
}

FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
  Machine* m = tov::posix::MachineFor("GetProcAddress");
  if (m == nullptr) return nullptr;
  auto loaded = m->Handles().Find<LoadedLibrary>(FromModule(hModule), {kLibraryHandle});
  if (!loaded) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  FARPROC proc = nullptr;
  if (lpProcName != nullptr && loaded->library->HasExport(lpProcName)) {
    proc = tov::posix::FindSystemExport(loaded->name, lpProcName);
  }
  if (proc == nullptr) SetLastError(ERROR_PROC_NOT_FOUND);
  return proc;
}

BOOL FreeLibrary(HMODULE hLibModule) {
  Machine* m = tov::posix::MachineFor("FreeLibrary");
  if (m == nullptr) return FALSE;
  if (!m->Handles().Close(FromModule(hLibModule), {kLibraryHandle, kDataModuleHandle})) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}
