// The running program: its module handle, its file and argument vector, and
// fixed memory blocks.
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/posix/src/program_resources.h"
#include "win32_api.h"

int __argc = 0;
char** __argv = nullptr;

namespace tov::posix {

// Any value works as long as no other module handle can take it: the machine
// model hands out its library handles from a table that starts far above it.
HMODULE ProgramModule() { return reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x400)); }

const std::string& ProgramFilePath() {
  static const std::string path = [] {
    char buffer[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
  }();
  return path;
}

}  // namespace tov::posix

HMODULE GetModuleHandleA(LPCSTR lpModuleName) {
  if (lpModuleName != nullptr) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  return tov::posix::ProgramModule();
}

DWORD GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
  if (hModule != nullptr && hModule != tov::posix::ProgramModule()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  const std::string& path = tov::posix::ProgramFilePath();
  if (path.empty() || lpFilename == nullptr || nSize == 0) {
    SetLastError(path.empty() ? ERROR_FILE_NOT_FOUND : ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  if (path.size() >= nSize) {
    std::memcpy(lpFilename, path.data(), nSize - 1);
    lpFilename[nSize - 1] = '\0';
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return nSize;
  }
  std::memcpy(lpFilename, path.c_str(), path.size() + 1);
  return static_cast<DWORD>(path.size());
}

HGLOBAL GlobalAlloc(UINT uFlags, SIZE_T dwBytes) {
  if (uFlags != GMEM_FIXED) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  void* block = std::malloc(dwBytes == 0 ? 1 : dwBytes);
  if (block == nullptr) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return block;
}

HGLOBAL GlobalFree(HGLOBAL hMem) {
  std::free(hMem);
  return nullptr;
}
