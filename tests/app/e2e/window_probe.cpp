// A helper the end-to-end tests run under Wine beside the program: it finds
// the program's windows by caption, prints them with their controls as JSON,
// sends them commands, and can be the owner window given with /hwnd.
//
//   window_probe show <caption> [<timeout ms>]   the newest dialog of that caption and its controls
//   window_probe post <caption> <message> <wParam>   posts a message to it
//   window_probe about                            holds the run once the progress window shows and
//                                                 prints the window; then, one line from stdin each:
//                                                 opens its About box as the window menu does and
//                                                 prints it, lets the run go on, closes the About box
//   window_probe host                             makes a window, prints its handle, and
//                                                 serves it until stdin closes
//
// Commands that wait say "waiting" on stderr once they look for windows.
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

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
  std::fprintf(stderr, "waiting\n");
  std::fflush(stderr);
  for (DWORD waited = 0;; waited += 5) {
    HWND found = FindWindowA("#32770", caption);
    if (found != nullptr || waited >= timeout) return found;
    Sleep(5);
  }
}

// Appends one control, as JSON, to the list at `param`.
BOOL CALLBACK AddControl(HWND hwnd, LPARAM param) {
  std::string& list = *reinterpret_cast<std::string*>(param);
  char line[256];
  std::snprintf(line, sizeof line, "{\"id\": %d, \"style\": %lu, \"enabled\": %s, ", GetDlgCtrlID(hwnd),
                static_cast<unsigned long>(GetWindowLongA(hwnd, GWL_STYLE)),
                IsWindowEnabled(hwnd) ? "true" : "false");
  if (!list.empty()) list += ", ";
  list += line;
  list += "\"class\": " + Quote(ClassOf(hwnd)) + ", \"text\": " + Quote(TextOf(hwnd)) + "}";
  return TRUE;
}

// The dialog with its controls, as JSON.
std::string Describe(HWND dialog) {
  RECT rc = {};
  GetWindowRect(dialog, &rc);
  char head[512];
  std::snprintf(head, sizeof head,
                "{\"handle\": %llu, \"owner\": %llu, \"style\": %lu, \"exStyle\": %lu, "
                "\"rect\": [%ld, %ld, %ld, %ld], ",
                static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(dialog)),
                static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(GetWindow(dialog, GW_OWNER))),
                static_cast<unsigned long>(GetWindowLongA(dialog, GWL_STYLE)),
                static_cast<unsigned long>(GetWindowLongA(dialog, GWL_EXSTYLE)), rc.left, rc.top,
                rc.right, rc.bottom);
  std::string out = head;
  out += "\"caption\": " + Quote(TextOf(dialog)) + ", \"controls\": [";
  std::string controls;
  EnumChildWindows(dialog, AddControl, reinterpret_cast<LPARAM>(&controls));
  return out + controls + "]}";
}

int Show(const char* caption, DWORD timeout) {
  HWND dialog = WaitFor(caption, timeout);
  if (dialog == nullptr) {
    std::fprintf(stderr, "window_probe: no dialog \"%s\"\n", caption);
    return 1;
  }
  std::printf("%s\n", Describe(dialog).c_str());
  return 0;
}

// The threads of the progress window's process other than the window's
// own: the collection's worker among them. Holding them keeps the run going
// for as long as the test needs: a run on Wine lasts well under a second.
class RunHold {
 public:
  explicit RunHold(HWND window) {
    DWORD pid = 0;
    window_thread_ = GetWindowThreadProcessId(window, &pid);
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
      if (entry.th32OwnerProcessID != pid || entry.th32ThreadID == window_thread_) continue;
      HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID);
      if (thread != nullptr) threads_.push_back(thread);
    }
    CloseHandle(snapshot);
  }
  ~RunHold() {
    for (HANDLE thread : threads_) CloseHandle(thread);
  }

  // Suspends the threads while the window still answers; a suspension that
  // caught a thread holding something the window needs is undone and tried
  // again a moment later.
  bool Hold(HWND window) {
    for (int attempt = 0; attempt < 50; ++attempt) {
      for (HANDLE thread : threads_) SuspendThread(thread);
      DWORD_PTR answer = 0;
      if (SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_BLOCK, 1000, &answer) != 0) return true;
      Release();
      Sleep(10);
    }
    return false;
  }
  void Release() {
    for (HANDLE thread : threads_) ResumeThread(thread);
  }

 private:
  DWORD window_thread_ = 0;
  std::vector<HANDLE> threads_;
};

// Holds the run once the progress window shows and describes the window;
// on a line from stdin opens its About box as the window menu does and
// describes it; on the next line lets the run go on; on the last closes the
// About box.
int About() {
  HWND progress = WaitFor("tov", 120000);
  for (int waited = 0; progress != nullptr && !IsWindowVisible(progress) && waited < 20000; waited += 1) {
    Sleep(1);
  }
  if (progress == nullptr || !IsWindowVisible(progress)) {
    std::fprintf(stderr, "window_probe: no progress window\n");
    return 1;
  }
  RunHold hold(progress);
  if (!hold.Hold(progress) || !IsWindowVisible(progress)) {
    std::fprintf(stderr, "window_probe: the run could not be held while it went on\n");
    return 3;
  }
  std::printf("%s\n", Describe(progress).c_str());
  std::fflush(stdout);
  char line[64];
  std::fgets(line, sizeof line, stdin);
  PostMessageA(progress, WM_SYSCOMMAND, 0x0010, 0);
  HWND about = nullptr;
  for (int waited = 0; waited < 20000; waited += 5) {
    about = FindWindowA("#32770", "About Zeltrack");
    if (about != nullptr && IsWindowVisible(about)) break;
    Sleep(5);
  }
  if (about == nullptr) {
    hold.Release();
    std::fprintf(stderr, "window_probe: no About box\n");
    return 1;
  }
  // The box opens over its owner; below it, a picture shows both.
  RECT rc = {};
  GetWindowRect(progress, &rc);
  SetWindowPos(about, nullptr, rc.left, rc.bottom + 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  std::printf("%s\n", Describe(about).c_str());
  std::fflush(stdout);
  std::fgets(line, sizeof line, stdin);
  hold.Release();
  std::fgets(line, sizeof line, stdin);
  PostMessageA(about, WM_COMMAND, IDOK, 0);
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
  if (command == "about") return About();
  if (command == "host") return Host();
  std::fprintf(stderr, "usage: window_probe show <caption> [<ms>] | post <caption> <msg> <wParam> | about | host\n");
  return 2;
}
