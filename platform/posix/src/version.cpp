// Version resources of the machine's files. GetFileVersionInfoA hands out the
// file's block followed by as many bytes again: VerQueryValueA converts a text
// value into that room, at the same offset the UTF-16 text has in the block,
// so every text has a place of its own that lives as long as the buffer.
#include <cstring>
#include <string>

#include "platform/machine/machine.h"
#include "platform/posix/src/machine_access.h"
#include "platform/posix/src/version_block.h"
#include "win32_api.h"

namespace {

using tov::machine::Machine;
using tov::machine::MachineFile;

// The file's version block, or null with the last error set.
const std::vector<uint8_t>* VersionBlockOf(Machine& m, LPCSTR path, size_t& length) {
  const MachineFile* file = path != nullptr ? m.Files().Find(path) : nullptr;
  if (file == nullptr) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return nullptr;
  }
  const std::vector<uint8_t>& block = file->VersionBlock();
  length = tov::posix::VersionBlockLength(block.data(), block.size());
  if (length == 0) {
    SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
    return nullptr;
  }
  return &block;
}

}  // namespace

DWORD GetFileVersionInfoSizeA(LPCSTR lptstrFilename, LPDWORD lpdwHandle) {
  if (lpdwHandle != nullptr) *lpdwHandle = 0;
  Machine* m = tov::posix::MachineFor("GetFileVersionInfoSizeA");
  if (m == nullptr) return 0;
  size_t length = 0;
  if (VersionBlockOf(*m, lptstrFilename, length) == nullptr) return 0;
  return static_cast<DWORD>(2 * length);
}

BOOL GetFileVersionInfoA(LPCSTR lptstrFilename, DWORD, DWORD dwLen, LPVOID lpData) {
  Machine* m = tov::posix::MachineFor("GetFileVersionInfoA");
  if (m == nullptr) return FALSE;
  size_t length = 0;
  const std::vector<uint8_t>* block = VersionBlockOf(*m, lptstrFilename, length);
  if (block == nullptr) return FALSE;
  if (lpData == nullptr || dwLen < 2 * length) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  std::memcpy(lpData, block->data(), length);
  return TRUE;
}

BOOL VerQueryValueA(LPCVOID pBlock, LPCSTR lpSubBlock, LPVOID* lplpBuffer, PUINT puLen) {
  if (lplpBuffer != nullptr) *lplpBuffer = nullptr;
  if (puLen != nullptr) *puLen = 0;
  if (tov::posix::MachineFor("VerQueryValueA") == nullptr) return FALSE;
  if (pBlock == nullptr || lpSubBlock == nullptr || lplpBuffer == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  // The block came from GetFileVersionInfoA, so its root length is whole.
  const auto* block = static_cast<const uint8_t*>(pBlock);
  uint16_t root_length;
  std::memcpy(&root_length, block, sizeof root_length);
  size_t length = tov::posix::VersionBlockLength(block, root_length);
  auto value = tov::posix::FindVersionValue(block, length, lpSubBlock);
  if (!value) {
    SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
    return FALSE;
  }
  if (!value->text) {
    *lplpBuffer = const_cast<uint8_t*>(block + value->offset);
    if (puLen != nullptr) *puLen = static_cast<UINT>(value->size);
    return TRUE;
  }
  std::u16string units(value->size / 2, u'\0');
  if (!units.empty()) std::memcpy(units.data(), block + value->offset, units.size() * 2);
  units.resize(std::char_traits<char16_t>::length(units.c_str()));
  static char empty[1] = "";
  char* text = empty;
  if (!units.empty()) {
    // The converted text and its NUL go where the UTF-16 text lies in the copy
    // behind the block; a text that outgrows its UTF-16 form (possible only in
    // multi-byte code pages) has no place there.
    text = reinterpret_cast<char*>(const_cast<uint8_t*>(block)) + length + value->offset;
    int room = static_cast<int>(value->size);
    int n = WideCharToMultiByte(CP_ACP, 0, units.data(), static_cast<int>(units.size()), text,
                                room - 1, nullptr, nullptr);
    if (n <= 0) return FALSE;
    text[n] = '\0';
  }
  *lplpBuffer = text;
  if (puLen != nullptr) *puLen = static_cast<UINT>(std::char_traits<char>::length(text) + 1);
  return TRUE;
}
