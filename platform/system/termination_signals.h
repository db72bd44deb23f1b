// SIGTERM, SIGINT and SIGHUP (a kill, a Ctrl+C in the terminal, the end of
// the login session) end the program in order, without questions. The
// handler does nothing but write the signal's number into a pipe; a watcher
// thread reads it and posts WM_QUIT to the main thread's queue, whose loop
// then shuts down as it does after the last window: it saves and exits.
#pragma once

namespace ampliro {

// Installs the handlers and starts the watcher. Install it before the window
// system starts, so that it does not install handlers of its own (which
// would turn a signal into a close request with its questions).
class TerminationSignals {
  public:
    TerminationSignals();
    // Restores the default handlers and stops the watcher.
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // The last signal that asked the program to end; 0 for none.
    static int Received();
};

}  // namespace ampliro
