// Modal dialogs: the windows of a template, WM_INITDIALOG, and a loop that
// handles the thread's messages, keys and interrupts until EndDialog.
#include <poll.h>
#include <unistd.h>

#include <mutex>
#include <new>
#include <strings.h>

#include "platform/posix/src/fault_injection.h"
#include "platform/posix/src/program_resources.h"
#include "platform/terminal/dialog_snapshot.h"
#include "platform/terminal/interrupt.h"
#include "platform/terminal/key_input.h"
#include "platform/terminal/spin_wait.h"
#include "platform/terminal/status_view.h"
#include "platform/terminal/window_registry.h"

namespace {

using tov::posix::ControlTemplate;
using tov::posix::DialogTemplate;
using tov::terminal::KeyInput;
using tov::terminal::StatusView;
using tov::terminal::Window;
using tov::terminal::WindowKind;
using tov::terminal::WindowRegistry;

WindowKind KindOf(const ControlTemplate& control) {
  if (strcasecmp(control.window_class, "Static") == 0) {
    return (control.style & SS_TYPEMASK) == SS_ICON ? WindowKind::kIcon : WindowKind::kStatic;
  }
  if (strcasecmp(control.window_class, "Button") == 0) return WindowKind::kButton;
  if (strcasecmp(control.window_class, "msctls_progress32") == 0) return WindowKind::kProgress;
  return WindowKind::kOther;
}

void CreateControls(WindowRegistry& registry, const DialogTemplate& tmpl, Window& added, HWND& focus);

// Creates the dialog and its controls; returns the dialog and the first
// control that takes the focus (the first enabled one with WS_TABSTOP).
HWND CreateDialogWindows(const DialogTemplate& tmpl, HWND owner, DLGPROC proc, HWND& focus) {
  WindowRegistry& registry = WindowRegistry::Instance();
  std::lock_guard lock(registry.Lock());
  auto dialog = std::make_unique<Window>();
  dialog->kind = WindowKind::kDialog;
  dialog->id = tmpl.id;
  dialog->parent = owner;
  dialog->style = tmpl.style;
  dialog->text = tmpl.caption;
  dialog->cx = tmpl.cx;
  dialog->cy = tmpl.cy;
  dialog->proc = proc;
  if (tmpl.style & WS_SYSMENU) {
    dialog->system_menu = std::make_unique<tov::terminal::Menu>();
    dialog->system_menu->items.push_back({MF_STRING, SC_CLOSE, "&Close"});
  }
  Window& added = registry.Add(std::move(dialog));
  focus = nullptr;
  try {
    CreateControls(registry, tmpl, added, focus);
  } catch (...) {
    registry.RemoveDialog(added.handle);  // no half-made dialog stays behind
    throw;
  }
  return added.handle;
}

void CreateControls(WindowRegistry& registry, const DialogTemplate& tmpl, Window& added, HWND& focus) {
  added.controls.reserve(tmpl.controls.size());  // so that each push below cannot fail
  for (const ControlTemplate& control : tmpl.controls) {
    auto window = std::make_unique<Window>();
    window->kind = KindOf(control);
    window->id = control.id;
    window->parent = added.handle;
    window->style = control.style;
    window->text = control.text;
    window->enabled = (control.style & WS_DISABLED) == 0;
    window->cx = control.cx;
    window->cy = control.cy;
    HWND hwnd = registry.Add(std::move(window)).handle;
    added.controls.push_back(hwnd);
    if (focus == nullptr && (control.style & WS_TABSTOP) && (control.style & WS_DISABLED) == 0) {
      focus = hwnd;
    }
  }
}

bool HasEnded(HWND dialog) {
  WindowRegistry& registry = WindowRegistry::Instance();
  std::lock_guard lock(registry.Lock());
  Window* window = registry.Find(dialog);
  return window == nullptr || window->ended;
}

void PressKeys(const std::vector<tov::terminal::DialogSnapshot>& dialogs) {
  for (const tov::terminal::Key& key : KeyInput::Instance().Read()) {
    // Keys go to the newest dialog, the one a modal loop runs for.
    const tov::terminal::KeyBinding* binding =
        dialogs.empty() ? nullptr : FindBinding(dialogs.back(), key);
    if (binding != nullptr) SendMessageA(binding->target, binding->msg, binding->wParam, 0);
  }
}

// Waits for the next message, key or interrupt, or until the view is due.
void WaitForInput(tov::terminal::ThreadQueue& queue,
                  const std::vector<tov::terminal::DialogSnapshot>& dialogs) {
  // The next message usually follows at once (a device's bar position, then
  // its name): look for it briefly before sleeping.
  if (tov::terminal::SpinUntil([&queue] { return queue.arrived.load(); })) return;
  KeyInput& keys = KeyInput::Instance();
  pollfd fds[3] = {{queue.wake_fd, POLLIN, 0},
                   {tov::terminal::InterruptFd(), POLLIN, 0},
                   {keys.Available() ? STDIN_FILENO : -1, POLLIN, 0}};
  queue.polling.store(true);
  int ready = queue.arrived.load() ? 0 : poll(fds, 3, StatusView::Instance().MillisecondsUntilDue());
  queue.polling.store(false);
  if (ready <= 0) return;
  if (fds[0].revents & POLLIN) queue.Drain();
  if (fds[2].revents & POLLIN) PressKeys(dialogs);
}

// One turn of the modal loop: a queued message, the view, and a wait for
// the next message, key or interrupt. False once the dialog has ended.
bool RunModalTurn(HWND dialog, tov::terminal::ThreadQueue& queue) {
  KeyInput& keys = KeyInput::Instance();
  StatusView& view = StatusView::Instance();
  tov::terminal::ExitIfInterrupted();
  bool handled = tov::terminal::DispatchOneQueued();
  if (HasEnded(dialog)) return false;
  // Shown after every message, so no text that was set is missed.
  auto dialogs = tov::terminal::SnapshotDialogs(std::this_thread::get_id());
  view.Show(dialogs, keys.Available());
  if (!handled) WaitForInput(queue, dialogs);
  return true;
}

void RunModalLoop(HWND dialog, tov::terminal::ThreadQueue& queue) {
  KeyInput& keys = KeyInput::Instance();
  keys.Begin();
  for (;;) {
    try {
      if (!RunModalTurn(dialog, queue)) break;
    } catch (const std::bad_alloc&) {
      // A turn without memory draws nothing or loses a key press; the loop
      // goes on, since the dialog's end is still to come.
    }
  }
  keys.End();
}

}  // namespace

INT_PTR DialogBoxParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent,
                        DLGPROC lpDialogFunc, LPARAM dwInitParam) {
  const DialogTemplate* tmpl =
      hInstance == tov::posix::ProgramModule() && IS_INTRESOURCE(lpTemplateName)
          ? tov::posix::FindDialogTemplate(static_cast<int>(reinterpret_cast<ULONG_PTR>(lpTemplateName)))
          : nullptr;
  if (tmpl == nullptr) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return -1;
  }
  if (tov::posix::FaultFires("DialogBoxParamA")) return -1;
  HWND focus = nullptr;
  HWND dialog = nullptr;
  tov::terminal::ThreadQueue* queue = nullptr;
  try {
    dialog = CreateDialogWindows(*tmpl, hWndParent, lpDialogFunc, focus);
    queue = &tov::terminal::OwnQueue();
  } catch (const std::bad_alloc&) {
    if (dialog != nullptr) {
      WindowRegistry& registry = WindowRegistry::Instance();
      std::lock_guard lock(registry.Lock());
      registry.RemoveDialog(dialog);
    }
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return -1;
  }
  tov::terminal::DispatchMessageTo(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(focus),
                                   dwInitParam);
  RunModalLoop(dialog, *queue);
  WindowRegistry& registry = WindowRegistry::Instance();
  INT_PTR result;
  bool last_dialog;
  {
    std::lock_guard lock(registry.Lock());
    result = registry.Find(dialog)->result;
    registry.RemoveDialog(dialog);
    last_dialog = !registry.HasDialogsOf(std::this_thread::get_id());
  }
  if (last_dialog) {
    try {
      StatusView::Instance().Clear();
    } catch (const std::bad_alloc&) {
      // The lines stay on the terminal; the dialog itself has ended.
    }
  }
  return result;
}

BOOL EndDialog(HWND hDlg, INT_PTR nResult) {
  WindowRegistry& registry = WindowRegistry::Instance();
  std::lock_guard lock(registry.Lock());
  Window* window = registry.Find(hDlg);
  if (window == nullptr || window->kind != WindowKind::kDialog) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  window->ended = true;
  window->result = nResult;
  registry.QueueOf(window->thread).Wake();
  return TRUE;
}
