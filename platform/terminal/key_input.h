// Keys for the buttons and menu entries of the dialogs on a terminal, read
// from stdin while a dialog runs. Private to platform/terminal.
#pragma once

#include <termios.h>

#include <string_view>
#include <vector>

namespace tov::terminal {

/// One key press: a letter or digit (lower case), Enter or Escape.
struct Key {
  enum Kind { kChar, kEnter, kEscape } kind;
  char ch;  // kChar only
  bool operator==(const Key& other) const {
    return kind == other.kind && (kind != kChar || ch == other.ch);
  }
};

/// The keys in bytes read from a terminal: letters and digits (lower-cased),
/// Enter (CR or LF), and Escape when it stands alone at the end of a read;
/// escape sequences (arrows, function keys) and other bytes are dropped.
std::vector<Key> DecodeKeys(std::string_view bytes);

/// Key input from stdin, when stdin is a terminal: while a dialog runs the
/// terminal delivers each key at once without echoing it; signals (Ctrl-C)
/// stay on. Begin and End nest; the outermost End restores the terminal.
class KeyInput {
 public:
  static KeyInput& Instance();

  bool Available() const { return available_; }
  void Begin();
  void End();
  /// Puts the terminal back as it was, at once (before the process ends).
  void Restore();
  /// The keys waiting on stdin; never blocks.
  std::vector<Key> Read();

 private:
  KeyInput();
  bool available_;
  int depth_ = 0;
  bool saved_ = false;
  termios saved_mode_{};
};

}  // namespace tov::terminal
