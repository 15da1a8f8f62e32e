// Raw key input on a terminal: canonical mode and echo off, signals on.
#include "platform/terminal/key_input.h"

#include <unistd.h>

#include <cctype>

namespace tov::terminal {

std::vector<Key> DecodeKeys(std::string_view bytes) {
  std::vector<Key> keys;
  for (size_t i = 0; i < bytes.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c == 0x1B) {
      if (i + 1 == bytes.size()) {
        keys.push_back({Key::kEscape, 0});
      } else if (bytes[i + 1] == '[' || bytes[i + 1] == 'O') {
        // A sequence: introducer, parameters, then one final byte 0x40-0x7E.
        i += 2;
        while (i < bytes.size() && !(bytes[i] >= 0x40 && bytes[i] <= 0x7E)) ++i;
      }
    } else if (c == '\r' || c == '\n') {
      keys.push_back({Key::kEnter, 0});
    } else if (std::isalnum(c)) {
      keys.push_back({Key::kChar, static_cast<char>(std::tolower(c))});
    }
  }
  return keys;
}

KeyInput& KeyInput::Instance() {
  static KeyInput input;
  return input;
}

KeyInput::KeyInput() : available_(isatty(STDIN_FILENO) == 1) {}

void KeyInput::Begin() {
  if (!available_ || depth_++ > 0) return;
  if (tcgetattr(STDIN_FILENO, &saved_mode_) != 0) return;
  termios raw = saved_mode_;
  raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
  raw.c_cc[VMIN] = 0;
  raw.c_cc[VTIME] = 0;
  saved_ = tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0;
}

void KeyInput::End() {
  if (!available_ || depth_ == 0 || --depth_ > 0) return;
  Restore();
}

void KeyInput::Restore() {
  if (saved_) tcsetattr(STDIN_FILENO, TCSANOW, &saved_mode_);
  saved_ = false;
}

std::vector<Key> KeyInput::Read() {
  char buffer[64];
  ssize_t n = available_ ? read(STDIN_FILENO, buffer, sizeof buffer) : 0;
  if (n <= 0) return {};
  return DecodeKeys(std::string_view(buffer, static_cast<size_t>(n)));
}

}  // namespace tov::terminal
