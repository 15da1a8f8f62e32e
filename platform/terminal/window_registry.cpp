// Windows, queues and the handling of a message on its window's thread.
#include "platform/terminal/window_registry.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace tov::terminal {

ThreadQueue::ThreadQueue() : wake_fd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

ThreadQueue::~ThreadQueue() {
  if (wake_fd >= 0) close(wake_fd);
}

void ThreadQueue::Wake() {
  // Either the loop sees `arrived` before it sleeps, or this sees `polling`
  // and wakes it (both orders are sequentially consistent).
  arrived.store(true);
  if (!polling.load()) return;
  uint64_t one = 1;
  // A full counter already means "something arrived"; nothing else can fail.
  (void)!write(wake_fd, &one, sizeof one);
}

void ThreadQueue::Drain() const {
  uint64_t count;
  (void)!read(wake_fd, &count, sizeof count);
}

WindowRegistry& WindowRegistry::Instance() {
  static WindowRegistry registry;
  return registry;
}

Window& WindowRegistry::Add(std::unique_ptr<Window> window) {
  window->handle = reinterpret_cast<HWND>(next_handle_);
  next_handle_ += 4;  // window handles are never reused
  window->thread = std::this_thread::get_id();
  Window& added = *window;
  HWND handle = added.handle;
  // Either both lists take the window or neither does, even when memory
  // runs out between the two.
  windows_[handle] = std::move(window);
  if (added.kind == WindowKind::kDialog) {
    try {
      dialogs_.push_back(handle);
    } catch (...) {
      windows_.erase(handle);
      throw;
    }
  }
  return added;
}

Window* WindowRegistry::Find(HWND hwnd) {
  auto it = windows_.find(hwnd);
  return it == windows_.end() ? nullptr : it->second.get();
}

void WindowRegistry::RemoveDialog(HWND dialog) {
  Window* window = Find(dialog);
  if (window == nullptr) return;
  // Allocates nothing, so a dialog always goes whole.
  const std::vector<HWND>& controls = window->controls;
  auto addressed_to_gone = [&](const QueuedMessage& m) {
    return m.hwnd == dialog || std::find(controls.begin(), controls.end(), m.hwnd) != controls.end();
  };
  for (auto& [thread, queue] : queues_) {
    for (QueuedMessage& m : queue->messages) {
      if (m.sent && addressed_to_gone(m)) Answer(m, 0);
    }
    auto& messages = queue->messages;
    messages.erase(std::remove_if(messages.begin(), messages.end(), addressed_to_gone),
                   messages.end());
  }
  dialogs_.erase(std::remove(dialogs_.begin(), dialogs_.end(), dialog), dialogs_.end());
  for (HWND control : controls) windows_.erase(control);
  windows_.erase(dialog);  // last: `controls` is the dialog's own
  sent_done_.notify_all();
}

ThreadQueue& WindowRegistry::QueueOf(std::thread::id thread) {
  auto it = queues_.find(thread);
  if (it == queues_.end()) {
    // Made before it is entered, so that no entry is ever left empty.
    auto queue = std::make_unique<ThreadQueue>();
    it = queues_.emplace(thread, std::move(queue)).first;
  }
  return *it->second;
}

std::vector<Window*> WindowRegistry::DialogsOf(std::thread::id thread) {
  std::vector<Window*> out;
  for (Window* window : AllDialogs()) {
    if (window->thread == thread) out.push_back(window);
  }
  return out;
}

bool WindowRegistry::HasDialogsOf(std::thread::id thread) {
  for (HWND hwnd : dialogs_) {
    if (Find(hwnd)->thread == thread) return true;
  }
  return false;
}

std::vector<Window*> WindowRegistry::AllDialogs() {
  std::vector<Window*> out;
  for (HWND hwnd : dialogs_) out.push_back(Find(hwnd));
  return out;
}

namespace {

// Messages whose answer is the dialog procedure's return value itself; for
// the others a handling procedure leaves its answer in DWLP_MSGRESULT.
bool AnswersDirectly(UINT msg) { return msg == WM_INITDIALOG || msg == WM_QUERYDRAGICON; }

LRESULT CopyText(const std::string& text, WPARAM size, LPARAM buffer) {
  if (buffer == 0 || size == 0) return 0;
  size_t n = std::min(text.size(), static_cast<size_t>(size) - 1);
  std::memcpy(reinterpret_cast<char*>(buffer), text.data(), n);
  reinterpret_cast<char*>(buffer)[n] = '\0';
  return static_cast<LRESULT>(n);
}

// What every window does with its text.
bool HandleText(Window& window, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (msg) {
    case WM_SETTEXT:
      window.text = lParam != 0 ? reinterpret_cast<LPCSTR>(lParam) : "";
      result = TRUE;
      return true;
    case WM_GETTEXT:
      result = CopyText(window.text, wParam, lParam);
      return true;
    case WM_GETTEXTLENGTH:
      result = static_cast<LRESULT>(window.text.size());
      return true;
    default:
      return false;
  }
}

LRESULT ProgressProc(Window& bar, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case PBM_SETRANGE: {
      LRESULT before = MAKELONG(bar.range_low, bar.range_high);
      bar.range_low = LOWORD(lParam);
      bar.range_high = HIWORD(lParam);
      bar.position = std::clamp(bar.position, bar.range_low, std::max(bar.range_low, bar.range_high));
      return before;
    }
    case PBM_SETPOS: {
      LRESULT before = bar.position;
      bar.position = std::clamp(static_cast<int>(wParam), bar.range_low,
                                std::max(bar.range_low, bar.range_high));
      return before;
    }
    case PBM_GETPOS:
      return bar.position;
    case PBM_GETRANGE:
      return wParam ? bar.range_low : bar.range_high;
    default:
      return 0;
  }
}

}  // namespace

LRESULT DispatchMessageTo(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  WindowRegistry& registry = WindowRegistry::Instance();
  std::unique_lock lock(registry.Lock());
  Window* window = registry.Find(hwnd);
  if (window == nullptr) return 0;
  if (msg == kEnableMessage) {
    bool was_disabled = !window->enabled;
    window->enabled = wParam != 0;
    return was_disabled;
  }
  if (window->kind == WindowKind::kDialog) {
    DLGPROC proc = window->proc;
    lock.unlock();
    INT_PTR answer = proc != nullptr ? proc(hwnd, msg, wParam, lParam) : FALSE;
    lock.lock();
    window = registry.Find(hwnd);
    if (window == nullptr) return 0;
    if (answer != FALSE) return AnswersDirectly(msg) ? answer : window->msg_result;
    // The default handling of a dialog: its caption, and Close turned into Cancel.
    LRESULT result = 0;
    if (HandleText(*window, msg, wParam, lParam, result)) return result;
    lock.unlock();
    if (msg == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE) {
      UINT state = GetMenuState(GetSystemMenu(hwnd, FALSE), SC_CLOSE, MF_BYCOMMAND);
      if (state != static_cast<UINT>(-1) && (state & (MF_DISABLED | MF_GRAYED)) == 0) {
        return SendMessageA(hwnd, WM_CLOSE, 0, 0);
      }
    } else if (msg == WM_CLOSE) {
      PostMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
    }
    return 0;
  }
  LRESULT result = 0;
  if (HandleText(*window, msg, wParam, lParam, result)) return result;
  if (window->kind == WindowKind::kProgress) return ProgressProc(*window, msg, wParam, lParam);
  if (window->kind == WindowKind::kButton && msg == BM_CLICK && window->enabled) {
    HWND dialog = window->parent;
    WPARAM command = MAKELONG(window->id, BN_CLICKED);
    lock.unlock();
    SendMessageA(dialog, WM_COMMAND, command, reinterpret_cast<LPARAM>(hwnd));
  }
  return 0;
}

void Answer(const QueuedMessage& m, LRESULT result) {
  *m.result = result;
  m.done->store(true, std::memory_order_release);
}

ThreadQueue& OwnQueue() {
  WindowRegistry& registry = WindowRegistry::Instance();
  std::lock_guard lock(registry.Lock());
  return registry.QueueOf(std::this_thread::get_id());
}

bool DispatchOneQueued() {
  WindowRegistry& registry = WindowRegistry::Instance();
  std::unique_lock lock(registry.Lock());
  ThreadQueue& queue = registry.QueueOf(std::this_thread::get_id());
  // Cleared under the lock before looking: a message queued after this look
  // sets it again.
  queue.arrived.store(false);
  if (queue.messages.empty()) return false;
  QueuedMessage m = queue.messages.front();
  queue.messages.pop_front();
  lock.unlock();
  LRESULT result = 0;
  try {
    result = DispatchMessageTo(m.hwnd, m.msg, m.wParam, m.lParam);
  } catch (const std::bad_alloc&) {
    // The message fails as one the window had no memory for; its sender
    // still gets its answer, or it would wait for ever.
  }
  if (m.sent) {
    lock.lock();
    Answer(m, result);
    registry.SentDone().notify_all();
  }
  return true;
}

}  // namespace tov::terminal
