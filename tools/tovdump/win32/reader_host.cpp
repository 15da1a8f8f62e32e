// Windows: file names on the command line are in the ANSI code page, and the
// archive converts UTF-16 texts with the thread's code page, which the
// system sets; nothing to install.
#include "tools/tovdump/reader_host.h"

namespace tovdump {

struct ReaderHost::State {};

ReaderHost::ReaderHost(CodePage) {}
ReaderHost::~ReaderHost() = default;

std::basic_string<WCHAR> ReaderHost::StorageName(const std::string& strPath) const {
  int n = MultiByteToWideChar(CP_ACP, 0, strPath.c_str(), -1, nullptr, 0);
  std::basic_string<WCHAR> name(n > 0 ? n : 1, WCHAR{0});
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, strPath.c_str(), -1, name.data(), n);
  return name;
}

std::string ReaderHost::TakeStorageMessages() { return {}; }

}  // namespace tovdump
