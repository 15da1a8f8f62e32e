// Signals to the dialog loop through an eventfd, the one thing a handler can
// safely do besides recording the signal.
#include "platform/terminal/interrupt.h"

#include <signal.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>

#include "platform/terminal/key_input.h"
#include "platform/terminal/status_view.h"

namespace tov::terminal {

namespace {

std::atomic<int> g_signal{0};
int g_fd = -1;

void OnSignal(int signal) {
  int none = 0;
  g_signal.compare_exchange_strong(none, signal);
  uint64_t one = 1;
  (void)!write(g_fd, &one, sizeof one);
}

}  // namespace

void InstallInterruptHandlers() {
  if (g_fd < 0) g_fd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  struct sigaction action = {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
}

int InterruptFd() { return g_fd; }

int InterruptSignal() { return g_signal.load(); }

void ExitIfInterrupted() {
  int signal = g_signal.load();
  if (signal == 0) return;
  StatusView::Instance().Abandon();
  KeyInput::Instance().Restore();
  _exit(128 + signal);
}

}  // namespace tov::terminal
