// Window operations of the terminal surface. A message for a window of
// another thread waits in that thread's queue; the sender blocks until the
// window's loop has handled it, as the platform's sent messages do.
#include <atomic>
#include <cstring>
#include <mutex>
#include <new>

#include "platform/terminal/spin_wait.h"
#include "platform/terminal/window_registry.h"

namespace {

using tov::terminal::QueuedMessage;
using tov::terminal::Window;
using tov::terminal::WindowRegistry;

}  // namespace

LRESULT SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  WindowRegistry& registry = WindowRegistry::Instance();
  std::unique_lock lock(registry.Lock());
  Window* window = registry.Find(hWnd);
  if (window == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (window->thread == std::this_thread::get_id()) {
    lock.unlock();
    try {
      return tov::terminal::DispatchMessageTo(hWnd, Msg, wParam, lParam);
    } catch (const std::bad_alloc&) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return 0;
    }
  }
  std::atomic<bool> done{false};
  LRESULT result = 0;
  try {
    tov::terminal::ThreadQueue& queue = registry.QueueOf(window->thread);
    queue.messages.push_back(QueuedMessage{hWnd, Msg, wParam, lParam, true, &done, &result});
    queue.Wake();
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  // The window's thread usually answers within microseconds: wait for it
  // without the lock first, and sleep only when it takes longer.
  auto answered = [&done] { return done.load(std::memory_order_acquire); };
  lock.unlock();
  if (tov::terminal::SpinUntil(answered)) return result;
  lock.lock();
  registry.SentDone().wait(lock, answered);
  return result;
}

BOOL PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  WindowRegistry& registry = WindowRegistry::Instance();
  std::lock_guard lock(registry.Lock());
  Window* window = registry.Find(hWnd);
  if (window == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  try {
    tov::terminal::ThreadQueue& queue = registry.QueueOf(window->thread);
    queue.messages.push_back(QueuedMessage{hWnd, Msg, wParam, lParam, false, nullptr, nullptr});
    queue.Wake();
  } catch (const std::bad_alloc&) {
    // The platform's queue, too, can be full: the post fails.
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
  return TRUE;
}

HWND GetDlgItem(HWND hDlg, int nIDDlgItem) {
  WindowRegistry& registry = WindowRegistry::Instance();
  std::lock_guard lock(registry.Lock());
  Window* dialog = registry.Find(hDlg);
  if (dialog == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  for (HWND control : dialog->controls) {
    if (registry.Find(control)->id == nIDDlgItem) return control;
  }
  SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
  return nullptr;
}

BOOL SetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPCSTR lpString) {
  HWND control = GetDlgItem(hDlg, nIDDlgItem);
  if (control == nullptr) return FALSE;
  return static_cast<BOOL>(SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString)));
}

UINT GetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPSTR lpString, int cchMax) {
  HWND control = GetDlgItem(hDlg, nIDDlgItem);
  if (control == nullptr) {
    if (lpString != nullptr && cchMax > 0) lpString[0] = '\0';
    return 0;
  }
  return static_cast<UINT>(GetWindowTextA(control, lpString, cchMax));
}

int GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount) {
  if (lpString == nullptr || nMaxCount <= 0) return 0;
  lpString[0] = '\0';
  return static_cast<int>(SendMessageA(hWnd, WM_GETTEXT, static_cast<WPARAM>(nMaxCount),
                                       reinterpret_cast<LPARAM>(lpString)));
}

HWND GetParent(HWND hWnd) {
  WindowRegistry& registry = WindowRegistry::Instance();
  std::lock_guard lock(registry.Lock());
  Window* window = registry.Find(hWnd);
  return window != nullptr ? window->parent : nullptr;
}

HWND FindWindowA(LPCSTR lpClassName, LPCSTR lpWindowName) {
  if (lpClassName != nullptr && std::strcmp(lpClassName, "#32770") != 0) return nullptr;
  WindowRegistry& registry = WindowRegistry::Instance();
  std::lock_guard lock(registry.Lock());
  std::vector<Window*> dialogs = registry.AllDialogs();
  for (auto it = dialogs.rbegin(); it != dialogs.rend(); ++it) {
    if (lpWindowName == nullptr || (*it)->text == lpWindowName) return (*it)->handle;
  }
  return nullptr;
}

BOOL IsWindow(HWND hWnd) {
  WindowRegistry& registry = WindowRegistry::Instance();
  std::lock_guard lock(registry.Lock());
  return registry.Find(hWnd) != nullptr;
}

BOOL EnableWindow(HWND hWnd, BOOL bEnable) {
  return static_cast<BOOL>(SendMessageA(hWnd, tov::terminal::kEnableMessage, bEnable != FALSE, 0));
}

BOOL IsWindowEnabled(HWND hWnd) {
  WindowRegistry& registry = WindowRegistry::Instance();
  std::lock_guard lock(registry.Lock());
  Window* window = registry.Find(hWnd);
  return window != nullptr && window->enabled;
}

BOOL IsIconic(HWND) { return FALSE; }

LONG_PTR SetWindowLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
  WindowRegistry& registry = WindowRegistry::Instance();
  std::lock_guard lock(registry.Lock());
  Window* window = registry.Find(hWnd);
  if (window == nullptr || window->kind != tov::terminal::WindowKind::kDialog ||
      (nIndex != DWLP_USER && nIndex != DWLP_MSGRESULT)) {
    SetLastError(window == nullptr ? ERROR_INVALID_WINDOW_HANDLE : ERROR_INVALID_PARAMETER);
    return 0;
  }
  LONG_PTR& slot = nIndex == DWLP_USER ? window->user_data : window->msg_result;
  LONG_PTR before = slot;
  slot = dwNewLong;
  return before;
}

LONG_PTR GetWindowLongPtrA(HWND hWnd, int nIndex) {
  WindowRegistry& registry = WindowRegistry::Instance();
  std::lock_guard lock(registry.Lock());
  Window* window = registry.Find(hWnd);
  if (window == nullptr || window->kind != tov::terminal::WindowKind::kDialog ||
      (nIndex != DWLP_USER && nIndex != DWLP_MSGRESULT)) {
    SetLastError(window == nullptr ? ERROR_INVALID_WINDOW_HANDLE : ERROR_INVALID_PARAMETER);
    return 0;
  }
  return nIndex == DWLP_USER ? window->user_data : window->msg_result;
}
