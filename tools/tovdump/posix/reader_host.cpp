// Linux: the platform layer's code pages come from a machine model, so the
// reader installs a bare one whose only setting is the code page. File names
// are UTF-8 bytes, which is what the storage layer turns UTF-16 back into.
#include "tools/tovdump/reader_host.h"

#include "platform/machine/current_machine.h"
#include "platform/machine/machine.h"

namespace tovdump {

struct ReaderHost::State {
  explicit State(CodePage codePage) : use(machine) {
    machine.AnsiCodePage(codePage == CodePage::kUtf8 ? CP_UTF8 : 1252);
  }
  tov::machine::Machine machine;
  tov::machine::ScopedMachine use;
};

ReaderHost::ReaderHost(CodePage codePage) : m_pState(std::make_unique<State>(codePage)) {}
ReaderHost::~ReaderHost() = default;

std::basic_string<WCHAR> ReaderHost::StorageName(const std::string& strPath) const {
  int n = MultiByteToWideChar(CP_UTF8, 0, strPath.c_str(), -1, nullptr, 0);
  std::basic_string<WCHAR> name(n > 0 ? n : 1, WCHAR{0});
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, strPath.c_str(), -1, name.data(), n);
  return name;
}

}  // namespace tovdump
