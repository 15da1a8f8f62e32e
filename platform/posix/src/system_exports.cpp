// The table of system library entry points implemented by the platform layer.
#include "platform/posix/src/system_exports.h"

#include <array>

#include "platform/machine/text_case.h"

namespace tov::posix {
namespace {

struct SystemExport {
  const char* library;
  const char* name;
  FARPROC proc;
};

// Entries are added by the layers that implement a system library.
constexpr std::array<SystemExport, 0> kExports{};

}  // namespace

FARPROC FindSystemExport(std::string_view library, std::string_view name) {
  for (const SystemExport& e : kExports) {
    if (name == e.name && machine::EqualsIgnoreCase(library, e.library)) {
      return e.proc;
    }
  }
  return nullptr;
}

}  // namespace tov::posix
