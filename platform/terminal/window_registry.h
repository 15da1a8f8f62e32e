// The windows of the terminal surface: dialogs and their controls, the thread
// each belongs to, and the message queue of every thread that owns windows.
// One lock guards all of it; window procedures run without it. Private to
// platform/terminal.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/terminal/spin_wait.h"
#include "win32_api.h"

namespace tov::terminal {

enum class WindowKind { kDialog, kStatic, kIcon, kButton, kProgress, kOther };

/// One entry of a window menu.
struct MenuItem {
  UINT flags;  // MF_SEPARATOR, MF_DISABLED, MF_GRAYED
  UINT_PTR id;
  std::string text;
};

/// A window menu; its handle is the address of this object, which lives as
/// long as its window.
struct Menu {
  std::vector<MenuItem> items;
};

struct Window {
  HWND handle = nullptr;
  WindowKind kind = WindowKind::kOther;
  int id = 0;             // control identifier; template number for a dialog
  HWND parent = nullptr;  // the dialog of a control, the owner of a dialog
  std::thread::id thread;
  DWORD style = 0;
  std::string text;       // caption of a dialog, text of a control
  bool enabled = true;
  int range_low = 0, range_high = 100, position = 0;  // progress bar
  short cx = 0, cy = 0;   // size in dialog units

  // Dialogs only.
  DLGPROC proc = nullptr;
  LONG_PTR user_data = 0;
  LONG_PTR msg_result = 0;
  std::vector<HWND> controls;
  std::unique_ptr<Menu> system_menu;
  bool ended = false;
  INT_PTR result = 0;
};

/// A message waiting for a thread's loop: posted, or sent by a thread that
/// waits for `done`.
struct QueuedMessage {
  HWND hwnd;
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
  bool sent;
  std::atomic<bool>* done;  // sent only: set under the lock, after `result`
  LRESULT* result;          // sent only
};

/// Answers a sent message: its result, then `done`, which lets the sender
/// go. The lock must be held; the sender's variables are not touched after.
void Answer(const QueuedMessage& m, LRESULT result);

/// The queue of one thread that owns windows. Its loop looks for `arrived`
/// (spinning briefly) and, when it sleeps, polls the eventfd; a waker writes
/// the eventfd only while the loop says it polls.
struct ThreadQueue {
  ThreadQueue();
  ~ThreadQueue();
  ThreadQueue(const ThreadQueue&) = delete;
  ThreadQueue& operator=(const ThreadQueue&) = delete;
  /// Something arrived (a message, or the end of a dialog).
  void Wake();
  /// Empties the eventfd after a poll found it readable.
  void Drain() const;

  int wake_fd;
  std::atomic<bool> arrived{false};  // set by Wake, cleared by the loop under the lock
  std::atomic<bool> polling{false};  // the loop is in (or about to enter) poll
  std::deque<QueuedMessage> messages;
};

/// All windows and queues of the process.
class WindowRegistry {
 public:
  static WindowRegistry& Instance();

  SpinningMutex& Lock() { return mutex_; }
  /// Senders wait on this until their message is done.
  std::condition_variable_any& SentDone() { return sent_done_; }

  // The calls below expect the lock to be held.

  /// Adds a window owned by the calling thread and gives it its handle.
  Window& Add(std::unique_ptr<Window> window);
  Window* Find(HWND hwnd);
  /// Removes a dialog with its controls; messages still queued for them are
  /// dropped, and their senders get 0.
  void RemoveDialog(HWND dialog);
  /// The queue of a thread (made on first use).
  ThreadQueue& QueueOf(std::thread::id thread);
  /// The open dialogs of a thread, oldest first.
  std::vector<Window*> DialogsOf(std::thread::id thread);
  /// Whether `thread` has a dialog; allocates nothing.
  bool HasDialogsOf(std::thread::id thread);
  /// The open dialogs of every thread, oldest first.
  std::vector<Window*> AllDialogs();

 private:
  SpinningMutex mutex_;
  std::condition_variable_any sent_done_;
  uintptr_t next_handle_ = 0x10010;
  std::map<HWND, std::unique_ptr<Window>> windows_;
  std::vector<HWND> dialogs_;  // in order of creation
  std::map<std::thread::id, std::unique_ptr<ThreadQueue>> queues_;
};

/// Handles a message on the calling thread, which must own the window: the
/// dialog procedure with the default handling of dialogs, or the behaviour of
/// a control. The lock must not be held.
LRESULT DispatchMessageTo(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

/// Handles the oldest message queued for the calling thread; false when
/// there was none.
bool DispatchOneQueued();

/// The queue of the calling thread (made on first use).
ThreadQueue& OwnQueue();

/// Private message of the surface: EnableWindow on the window's own thread.
constexpr UINT kEnableMessage = 0x7F00;

}  // namespace tov::terminal
