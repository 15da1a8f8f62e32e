// Ctrl-C and the other signals that ask a program run from a shell to stop.
// While a dialog runs (the program is collecting), the dialog's loop ends the
// process at once: nothing has been written yet. At any other time the
// signal is only noted, so a report being written is completed first, and
// the program's start-up code ends with the status afterwards.
#pragma once

namespace tov::terminal {

/// Routes SIGINT, SIGTERM and SIGHUP here.
void InstallInterruptHandlers();
/// The descriptor a dialog loop polls: readable once a signal came.
int InterruptFd();
/// The first signal received, or 0.
int InterruptSignal();
/// Ends the process with 128 + the signal after putting the terminal back,
/// when a signal came; returns otherwise.
void ExitIfInterrupted();

}  // namespace tov::terminal
