/// Owners for the platform handles that rendering an event's texts acquires:
/// each is released when its owner goes, on every path out of a lookup.
#pragma once

#include <memory>
#include <type_traits>

#include "win32_api.h"

namespace tov::eventlog {

struct KeyCloser {
  void operator()(HKEY key) const { RegCloseKey(key); }
};
/// An open registry key.
using ScopedKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

struct ModuleFreer {
  void operator()(HMODULE module) const { FreeLibrary(module); }
};
/// A loaded (data) module.
using ScopedModule = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleFreer>;

struct LocalBufferFreer {
  void operator()(char* buffer) const { LocalFree(buffer); }
};
/// A text buffer that the platform allocated for the caller.
using LocalText = std::unique_ptr<char, LocalBufferFreer>;

}  // namespace tov::eventlog
