// The program's resources, compiled from the same sources as the resource
// script: each .inc file is read here with C++ definitions of its macros.
#include "platform/posix/src/program_resources.h"

#include <cstring>

#include "platform/machine/version_resource.h"
#include "resources/resource.h"
#include "resources/string_table.h"
#include "resources/version.inc"

namespace tov::posix {

namespace {

#define TOV_DIALOG(id, cx, cy, caption, style, exstyle) {id, cx, cy, caption, style, exstyle, {
#define TOV_CONTROL(id, cls, text, style, x, y, cx, cy) {id, cls, text, style, x, y, cx, cy, 0},
#define TOV_ICON_CONTROL(id, icon, x, y, cx, cy) {id, "Static", "", SS_ICON, x, y, cx, cy, icon},
#define TOV_DIALOG_END }},
const DialogTemplate kDialogs[] = {
#include "resources/dialogs.inc"
};
#undef TOV_DIALOG
#undef TOV_CONTROL
#undef TOV_ICON_CONTROL
#undef TOV_DIALOG_END

}  // namespace

const DialogTemplate* FindDialogTemplate(int id) {
  for (const DialogTemplate& dialog : kDialogs) {
    if (dialog.id == id) return &dialog;
  }
  return nullptr;
}

bool HasIcon(int id) { return id == IDR_MAINFRAME; }

std::vector<uint8_t> ProgramVersionBlock() {
  machine::VersionResource resource;
  resource.FileVersion(TOV_FILE_VERSION)
      .ProductVersion(TOV_PRODUCT_VERSION)
      .FileType(VFT_APP)
      .Translation(TOV_VERSION_LANGUAGE, TOV_VERSION_CODE_PAGE);
#define TOV_VERSION_STRING(name, text) resource.String(TOV_VERSION_TABLE, name, text);
#include "resources/version.inc"
#undef TOV_VERSION_STRING
  return resource.Build();
}

}  // namespace tov::posix

int LoadStringA(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax) {
  if (hInstance != tov::posix::ProgramModule() || lpBuffer == nullptr || cchBufferMax <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const char* text = tov::StringTableText(uID);
  if (text == nullptr) {
    lpBuffer[0] = '\0';
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return 0;
  }
  size_t n = std::strlen(text);
  if (n > static_cast<size_t>(cchBufferMax - 1)) n = static_cast<size_t>(cchBufferMax - 1);
  std::memcpy(lpBuffer, text, n);
  lpBuffer[n] = '\0';
  return static_cast<int>(n);
}

HICON LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName) {
  if (hInstance != tov::posix::ProgramModule() || !IS_INTRESOURCE(lpIconName) ||
      !tov::posix::HasIcon(static_cast<int>(reinterpret_cast<ULONG_PTR>(lpIconName)))) {
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return nullptr;
  }
  // An icon is known by its number; nothing is drawn on a terminal.
  return reinterpret_cast<HICON>(reinterpret_cast<ULONG_PTR>(lpIconName));
}
