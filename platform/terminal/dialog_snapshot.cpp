// Bindings follow the platform's keyboard interface of a dialog: a button's
// mnemonic clicks it, Enter clicks the default button, Escape is Cancel, and
// the entries of the window menu are reached by their mnemonics.
#include "platform/terminal/dialog_snapshot.h"

#include <cctype>
#include <mutex>
#include <sstream>

#include "platform/terminal/display_text.h"
#include "platform/terminal/window_registry.h"

namespace tov::terminal {

namespace {

void AddBinding(DialogSnapshot& dialog, KeyBinding binding) {
  if (FindBinding(dialog, binding.key) == nullptr) dialog.keys.push_back(std::move(binding));
}

void AddLines(DialogSnapshot& dialog, const std::string& text) {
  std::istringstream in(text);
  std::string line;
  bool any = false;
  while (std::getline(in, line)) {
    dialog.lines.push_back(DisplayText(line));
    any = true;
  }
  if (!any) dialog.lines.emplace_back();
}

DialogSnapshot Snapshot(WindowRegistry& registry, const Window& window) {
  DialogSnapshot dialog;
  dialog.handle = window.handle;
  dialog.caption = DisplayText(window.text);
  const Window* owner = registry.Find(window.parent);
  dialog.nested = owner != nullptr && owner->kind == WindowKind::kDialog;
  for (HWND hwnd : window.controls) {
    const Window& control = *registry.Find(hwnd);
    switch (control.kind) {
      case WindowKind::kStatic:
        AddLines(dialog, control.text);
        break;
      case WindowKind::kProgress:
        dialog.has_bar = true;
        dialog.low = control.range_low;
        dialog.high = control.range_high;
        dialog.position = control.position;
        break;
      case WindowKind::kButton:
        if (control.enabled && MnemonicOf(control.text) != 0) {
          AddBinding(dialog, {{Key::kChar, MnemonicOf(control.text)}, LabelOf(control.text), hwnd,
                              BM_CLICK, 0});
          if (control.style & BS_DEFPUSHBUTTON) {
            AddBinding(dialog, {{Key::kEnter, 0}, "", hwnd, BM_CLICK, 0});
          }
        }
        break;
      default:
        break;
    }
  }
  if (window.system_menu) {
    for (const MenuItem& item : window.system_menu->items) {
      if (item.flags & (MF_SEPARATOR | MF_DISABLED | MF_GRAYED)) continue;
      if (MnemonicOf(item.text) == 0) continue;
      AddBinding(dialog, {{Key::kChar, MnemonicOf(item.text)}, LabelOf(item.text), window.handle,
                          WM_SYSCOMMAND, item.id});
    }
  }
  AddBinding(dialog, {{Key::kEscape, 0}, "", window.handle, WM_COMMAND, IDCANCEL});
  return dialog;
}

}  // namespace

std::vector<DialogSnapshot> SnapshotDialogs(std::thread::id thread) {
  WindowRegistry& registry = WindowRegistry::Instance();
  std::lock_guard lock(registry.Lock());
  std::vector<DialogSnapshot> out;
  for (const Window* window : registry.DialogsOf(thread)) out.push_back(Snapshot(registry, *window));
  return out;
}

char MnemonicOf(const std::string& text) {
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '&') continue;
    if (text[i + 1] != '&') {
      unsigned char c = static_cast<unsigned char>(text[i + 1]);
      return std::isalnum(c) ? static_cast<char>(std::tolower(c)) : 0;
    }
    ++i;  // "&&" is a literal '&'
  }
  for (char c : text) {
    if (std::isalnum(static_cast<unsigned char>(c))) {
      return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
  }
  return 0;
}

std::string LabelOf(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;
    else if (text[i] == '&') continue;
    out += text[i];
  }
  return DisplayText(out);
}

const KeyBinding* FindBinding(const DialogSnapshot& dialog, const Key& key) {
  for (const KeyBinding& binding : dialog.keys) {
    if (binding.key == key) return &binding;
  }
  return nullptr;
}

}  // namespace tov::terminal
