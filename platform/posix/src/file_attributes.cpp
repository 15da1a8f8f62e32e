// File attributes from the installed machine's files.
#include <string_view>

#include "platform/posix/src/machine_access.h"
#include "win32_api.h"

namespace {

using tov::machine::Machine;
using tov::machine::MachineFile;

// The folder a path lies in; a file in a drive's root lies in "C:\\".
std::string_view FolderOf(std::string_view path) {
  size_t cut = path.find_last_of("\\/");
  if (cut == std::string_view::npos) return {};
  return path.substr(0, cut == 2 && path[1] == ':' ? 3 : cut);
}

bool IsFolder(const Machine& m, std::string_view path) {
  if (const MachineFile* file = m.Files().Find(path)) {
    return (file->Attributes() & FILE_ATTRIBUTE_DIRECTORY) != 0;
  }
  return m.IsDirectory(path);
}

}  // namespace

DWORD GetFileAttributesA(LPCSTR lpFileName) {
  Machine* m = tov::posix::MachineFor("GetFileAttributesA");
  if (m == nullptr) return INVALID_FILE_ATTRIBUTES;
  if (lpFileName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_FILE_ATTRIBUTES;
  }
  if (const MachineFile* file = m->Files().Find(lpFileName)) return file->Attributes();
  if (m->IsDirectory(lpFileName)) return FILE_ATTRIBUTE_DIRECTORY;
  std::string_view folder = FolderOf(lpFileName);
  SetLastError(!folder.empty() && IsFolder(*m, folder) ? ERROR_FILE_NOT_FOUND
                                                        : ERROR_PATH_NOT_FOUND);
  return INVALID_FILE_ATTRIBUTES;
}
