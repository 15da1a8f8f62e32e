// The program's own module on Linux and the resources Windows would find in
// its file: string table, dialog templates, icon and version resource, all
// from the sources the resource script reads. Private to platform/.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "win32_api.h"

namespace tov::posix {

/// The module handle of the program itself (GetModuleHandleA(nullptr)).
HMODULE ProgramModule();
/// The program's file, as the host names it; empty when unknown.
const std::string& ProgramFilePath();

/// One control of a dialog template; `icon` is the icon resource of an
/// SS_ICON static, 0 for other controls.
struct ControlTemplate {
  int id;
  const char* window_class;
  const char* text;
  DWORD style;
  short x, y, cx, cy;
  int icon;
};

/// A dialog template: caption, styles, size in dialog units and controls.
struct DialogTemplate {
  int id;
  short cx, cy;
  const char* caption;
  DWORD style;
  DWORD ex_style;
  std::vector<ControlTemplate> controls;
};

/// The program's dialog template `id`, or null.
const DialogTemplate* FindDialogTemplate(int id);

/// True when the program has icon resource `id`.
bool HasIcon(int id);

/// The program's version resource as the binary block of a file.
std::vector<uint8_t> ProgramVersionBlock();

}  // namespace tov::posix
