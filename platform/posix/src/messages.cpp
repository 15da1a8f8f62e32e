// Message texts from the message tables of the machine's files.
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/posix/src/machine_access.h"
#include "platform/posix/src/message_inserts.h"
#include "platform/posix/src/module_access.h"
#include "win32_api.h"

namespace {

constexpr DWORD kKnownFlags = FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY |
                              FORMAT_MESSAGE_ALLOCATE_BUFFER;

DWORD Fail(DWORD error) {
  SetLastError(error);
  return 0;
}

}  // namespace

DWORD FormatMessageA(DWORD dwFlags, LPCVOID lpSource, DWORD dwMessageId, DWORD,
                     LPSTR lpBuffer, DWORD nSize, va_list* Arguments) {
  tov::machine::Machine* m = tov::posix::MachineFor("FormatMessageA");
  if (m == nullptr) return 0;
  if ((dwFlags & ~kKnownFlags) != 0 || (dwFlags & FORMAT_MESSAGE_FROM_HMODULE) == 0 ||
      lpBuffer == nullptr) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  HMODULE module = static_cast<HMODULE>(const_cast<void*>(lpSource));
  const tov::machine::MachineFile* file = tov::posix::DataModuleFile(*m, module);
  if (file == nullptr) return Fail(ERROR_INVALID_HANDLE);
  if (file->Messages().Empty()) return Fail(ERROR_RESOURCE_TYPE_NOT_FOUND);
  const std::string* text = file->Messages().Find(dwMessageId);
  if (text == nullptr) return Fail(ERROR_MR_MID_NOT_FOUND);

  // With an argument array, Arguments is the array itself in disguise.
  const DWORD_PTR* args = (dwFlags & FORMAT_MESSAGE_ARGUMENT_ARRAY) != 0
                              ? reinterpret_cast<const DWORD_PTR*>(Arguments)
                              : nullptr;
  std::string out;
  DWORD error = tov::posix::FillMessageInserts(*text, args, out);
  if (error != ERROR_SUCCESS) return Fail(error);

  const size_t size = out.size() + 1;
  if ((dwFlags & FORMAT_MESSAGE_ALLOCATE_BUFFER) != 0) {
    char* buffer = static_cast<char*>(std::malloc(size > nSize ? size : nSize));
    if (buffer == nullptr) return Fail(ERROR_NOT_ENOUGH_MEMORY);
    std::memcpy(buffer, out.c_str(), size);
    *reinterpret_cast<LPSTR*>(lpBuffer) = buffer;
  } else {
    if (size > nSize) return Fail(ERROR_INSUFFICIENT_BUFFER);
    std::memcpy(lpBuffer, out.c_str(), size);
  }
  return static_cast<DWORD>(out.size());
}

HLOCAL LocalFree(HLOCAL hMem) {
  std::free(hMem);
  return nullptr;
}
