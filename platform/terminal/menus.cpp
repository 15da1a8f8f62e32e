// Window menus. A dialog with WS_SYSMENU has one from its creation, holding
// the Close entry; the program appends its own entries, which the terminal
// offers as keys.
#include <cstring>
#include <mutex>

#include "platform/terminal/window_registry.h"

namespace {

using tov::terminal::Menu;
using tov::terminal::MenuItem;
using tov::terminal::Window;
using tov::terminal::WindowRegistry;

// The menu behind a handle, when a live window holds it; the lock is held.
Menu* FindMenu(WindowRegistry& registry, HMENU hMenu) {
  for (Window* dialog : registry.AllDialogs()) {
    if (dialog->system_menu && reinterpret_cast<HMENU>(dialog->system_menu.get()) == hMenu) {
      return dialog->system_menu.get();
    }
  }
  SetLastError(ERROR_INVALID_MENU_HANDLE);
  return nullptr;
}

MenuItem* FindItem(Menu& menu, UINT uPosition, UINT uFlags) {
  if (uFlags & MF_BYPOSITION) {
    return uPosition < menu.items.size() ? &menu.items[uPosition] : nullptr;
  }
  for (MenuItem& item : menu.items) {
    if ((item.flags & MF_SEPARATOR) == 0 && item.id == uPosition) return &item;
  }
  return nullptr;
}

}  // namespace

HMENU GetSystemMenu(HWND hWnd, BOOL bRevert) {
  WindowRegistry& registry = WindowRegistry::Instance();
  std::lock_guard lock(registry.Lock());
  Window* window = registry.Find(hWnd);
  if (window == nullptr || bRevert || !window->system_menu) return nullptr;
  return reinterpret_cast<HMENU>(window->system_menu.get());
}

BOOL AppendMenuA(HMENU hMenu, UINT uFlags, UINT_PTR uIDNewItem, LPCSTR lpNewItem) {
  WindowRegistry& registry = WindowRegistry::Instance();
  std::lock_guard lock(registry.Lock());
  Menu* menu = FindMenu(registry, hMenu);
  if (menu == nullptr) return FALSE;
  bool separator = (uFlags & MF_SEPARATOR) != 0;
  menu->items.push_back(MenuItem{uFlags, separator ? 0 : uIDNewItem,
                                 separator || lpNewItem == nullptr ? "" : lpNewItem});
  return TRUE;
}

BOOL ModifyMenuA(HMENU hMnu, UINT uPosition, UINT uFlags, UINT_PTR uIDNewItem, LPCSTR lpNewItem) {
  WindowRegistry& registry = WindowRegistry::Instance();
  std::lock_guard lock(registry.Lock());
  Menu* menu = FindMenu(registry, hMnu);
  MenuItem* item = menu != nullptr ? FindItem(*menu, uPosition, uFlags) : nullptr;
  if (item == nullptr) return FALSE;
  // The new identifier replaces the old one, except that an entry keeps its
  // command when the caller passes 0 to change only its state.
  item->flags = uFlags & ~MF_BYPOSITION;
  if (uIDNewItem != 0) item->id = uIDNewItem;
  if (lpNewItem != nullptr) item->text = lpNewItem;
  return TRUE;
}

int GetMenuItemCount(HMENU hMenu) {
  WindowRegistry& registry = WindowRegistry::Instance();
  std::lock_guard lock(registry.Lock());
  Menu* menu = FindMenu(registry, hMenu);
  return menu != nullptr ? static_cast<int>(menu->items.size()) : -1;
}

UINT GetMenuItemID(HMENU hMenu, int nPos) {
  WindowRegistry& registry = WindowRegistry::Instance();
  std::lock_guard lock(registry.Lock());
  Menu* menu = FindMenu(registry, hMenu);
  MenuItem* item = menu != nullptr ? FindItem(*menu, static_cast<UINT>(nPos), MF_BYPOSITION) : nullptr;
  if (item == nullptr) return static_cast<UINT>(-1);
  return static_cast<UINT>(item->id);
}

UINT GetMenuState(HMENU hMenu, UINT uId, UINT uFlags) {
  WindowRegistry& registry = WindowRegistry::Instance();
  std::lock_guard lock(registry.Lock());
  Menu* menu = FindMenu(registry, hMenu);
  MenuItem* item = menu != nullptr ? FindItem(*menu, uId, uFlags) : nullptr;
  if (item == nullptr) return static_cast<UINT>(-1);
  return item->flags & (MF_SEPARATOR | MF_DISABLED | MF_GRAYED);
}

int GetMenuStringA(HMENU hMenu, UINT uIDItem, LPSTR lpString, int cchMax, UINT flags) {
  WindowRegistry& registry = WindowRegistry::Instance();
  std::lock_guard lock(registry.Lock());
  Menu* menu = FindMenu(registry, hMenu);
  MenuItem* item = menu != nullptr ? FindItem(*menu, uIDItem, flags) : nullptr;
  if (item == nullptr) return 0;
  if (lpString == nullptr || cchMax <= 0) return static_cast<int>(item->text.size());
  size_t n = std::min(item->text.size(), static_cast<size_t>(cchMax - 1));
  std::memcpy(lpString, item->text.data(), n);
  lpString[n] = '\0';
  return static_cast<int>(n);
}
