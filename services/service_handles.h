/// Owners for the handles the service inventory opens: a Service Control
/// Manager or service handle, and a registry key. Each is released when its
/// owner goes, on every path.
#pragma once

#include <memory>
#include <type_traits>

#include "win32_api.h"

struct ServiceHandleCloser {
  void operator()(SC_HANDLE handle) const { CloseServiceHandle(handle); }
};
/// An open SCM or service handle.
using ScopedServiceHandle = std::unique_ptr<std::remove_pointer_t<SC_HANDLE>, ServiceHandleCloser>;

struct RegistryKeyCloser {
  void operator()(HKEY key) const { RegCloseKey(key); }
};
/// An open registry key.
using ScopedRegistryKey = std::unique_ptr<std::remove_pointer_t<HKEY>, RegistryKeyCloser>;
