// Painting on a surface without pixels: the calls succeed and draw nothing,
// so a window procedure's painting code runs as it would on a screen.
#include <cstring>
#include <mutex>

#include "platform/terminal/window_registry.h"

namespace {

using tov::terminal::Window;
using tov::terminal::WindowRegistry;

// The one device context: nothing is ever drawn on it.
HDC TerminalDeviceContext() { return reinterpret_cast<HDC>(static_cast<uintptr_t>(0xDC)); }

}  // namespace

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* picce) {
  return picce != nullptr && picce->dwSize == sizeof(INITCOMMONCONTROLSEX);
}

HDC BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint) {
  if (lpPaint == nullptr || !IsWindow(hWnd)) return nullptr;
  std::memset(lpPaint, 0, sizeof *lpPaint);
  lpPaint->hdc = TerminalDeviceContext();
  GetClientRect(hWnd, &lpPaint->rcPaint);
  return lpPaint->hdc;
}

BOOL EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint) {
  return lpPaint != nullptr && lpPaint->hdc == TerminalDeviceContext() && IsWindow(hWnd);
}

BOOL DrawIcon(HDC hDC, int, int, HICON hIcon) {
  return hDC == TerminalDeviceContext() && hIcon != nullptr;
}

BOOL GetClientRect(HWND hWnd, LPRECT lpRect) {
  WindowRegistry& registry = WindowRegistry::Instance();
  std::lock_guard lock(registry.Lock());
  Window* window = registry.Find(hWnd);
  if (window == nullptr || lpRect == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  *lpRect = RECT{0, 0, window->cx, window->cy};
  return TRUE;
}

int GetSystemMetrics(int nIndex) {
  return nIndex == SM_CXICON || nIndex == SM_CYICON ? 32 : 0;
}
