// What the terminal shows of the open dialogs of a thread, and which keys
// act on them. Taken under the registry's lock, used without it. Private to
// platform/terminal.
#pragma once

#include <string>
#include <thread>
#include <vector>

#include "platform/terminal/key_input.h"
#include "win32_api.h"

namespace tov::terminal {

/// A key and the message it sends.
struct KeyBinding {
  Key key;
  std::string label;  // shown in the key line; empty: not shown
  HWND target;
  UINT msg;
  WPARAM wParam;
};

struct DialogSnapshot {
  HWND handle = nullptr;
  std::string caption;
  bool nested = false;  // owned by another dialog of the program
  /// The static texts, one entry per line, in template order.
  std::vector<std::string> lines;
  bool has_bar = false;
  int low = 0, high = 0, position = 0;
  std::vector<KeyBinding> keys;
};

/// The open dialogs of a thread, oldest first.
std::vector<DialogSnapshot> SnapshotDialogs(std::thread::id thread);

/// The key of a button or menu text: the character after a single '&', else
/// its first letter or digit; 0 when it has none.
char MnemonicOf(const std::string& text);
/// The text as shown: "&&" gives '&', a single '&' is dropped.
std::string LabelOf(const std::string& text);

/// The binding of `key` in a dialog, or null.
const KeyBinding* FindBinding(const DialogSnapshot& dialog, const Key& key);

}  // namespace tov::terminal
