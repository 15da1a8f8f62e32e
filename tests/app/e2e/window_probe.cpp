// A helper the end-to-end tests run under Wine beside the program: it finds
// the program's windows by caption, prints them with their controls as JSON,
// sends them commands, and can be the owner window given with /hwnd.
//
//   window_probe show <caption> [<timeout ms>]   the newest dialog of that caption and its controls
//   window_probe post <caption> <message> <wParam>   posts a message to it
//   window_probe host                             makes a window, prints its handle, and
//                                                 serves it until stdin closes
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

std::string Quote(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::string TextOf(HWND hwnd) {
  char text[2048] = {};
  SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_BLOCK,
                      5000, nullptr);
  return text;
}

std::string ClassOf(HWND hwnd) {
  char name[256] = {};
  GetClassNameA(hwnd, name, sizeof name);
  return name;
}

HWND WaitFor(const char* caption, DWORD timeout) {
  for (DWORD waited = 0;; waited += 50) {
    HWND found = FindWindowA("#32770", caption);
    if (found != nullptr || waited >= timeout) return found;
    Sleep(50);
  }
}

BOOL CALLBACK PrintControl(HWND hwnd, LPARAM first) {
  bool& is_first = *reinterpret_cast<bool*>(first);
  std::printf("%s\n    {\"id\": %d, \"class\": %s, \"text\": %s, \"style\": %lu, \"enabled\": %s}",
              is_first ? "" : ",", GetDlgCtrlID(hwnd), Quote(ClassOf(hwnd)).c_str(),
              Quote(TextOf(hwnd)).c_str(), static_cast<unsigned long>(GetWindowLongA(hwnd, GWL_STYLE)),
              IsWindowEnabled(hwnd) ? "true" : "false");
  is_first = false;
  return TRUE;
}

int Show(const char* caption, DWORD timeout) {
  HWND dialog = WaitFor(caption, timeout);
  if (dialog == nullptr) {
    std::fprintf(stderr, "window_probe: no dialog \"%s\"\n", caption);
    return 1;
  }
  RECT rc = {};
  GetWindowRect(dialog, &rc);
  std::printf("{\"handle\": %llu, \"caption\": %s, \"owner\": %llu, \"style\": %lu,\n"
              " \"exStyle\": %lu, \"rect\": [%ld, %ld, %ld, %ld], \"controls\": [",
              static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(dialog)),
              Quote(TextOf(dialog)).c_str(),
              static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(GetWindow(dialog, GW_OWNER))),
              static_cast<unsigned long>(GetWindowLongA(dialog, GWL_STYLE)),
              static_cast<unsigned long>(GetWindowLongA(dialog, GWL_EXSTYLE)), rc.left, rc.top,
              rc.right, rc.bottom);
  bool first = true;
  EnumChildWindows(dialog, PrintControl, reinterpret_cast<LPARAM>(&first));
  std::printf("]}\n");
  return 0;
}

int Post(const char* caption, UINT message, WPARAM wParam) {
  HWND dialog = WaitFor(caption, 10000);
  if (dialog == nullptr || !PostMessageA(dialog, message, wParam, 0)) {
    std::fprintf(stderr, "window_probe: cannot post to \"%s\"\n", caption);
    return 1;
  }
  return 0;
}

int Host() {
  HWND owner = CreateWindowExA(0, "STATIC", "tov test owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                               0, 300, 100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (owner == nullptr) return 1;
  std::printf("%llx\n", static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(owner)));
  std::fflush(stdout);
  // The window must answer (a modal dialog it owns disables it); it lives
  // until the test closes our stdin.
  HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::thread reader([done] {
    char buffer[64];
    while (std::fgets(buffer, sizeof buffer, stdin) != nullptr) {
    }
    SetEvent(done);
  });
  while (MsgWaitForMultipleObjects(1, &done, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
  reader.join();
  DestroyWindow(owner);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string command = argc > 1 ? argv[1] : "";
  if (command == "show" && argc >= 3) {
    return Show(argv[2], argc > 3 ? static_cast<DWORD>(std::strtoul(argv[3], nullptr, 10)) : 10000);
  }
  if (command == "post" && argc == 5) {
    return Post(argv[2], static_cast<UINT>(std::strtoul(argv[3], nullptr, 0)),
                static_cast<WPARAM>(std::strtoul(argv[4], nullptr, 0)));
  }
  if (command == "host") return Host();
  std::fprintf(stderr, "usage: window_probe show <caption> [<ms>] | post <caption> <msg> <wParam> | host\n");
  return 2;
}
