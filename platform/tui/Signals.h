// Signals while the text view has the terminal. SIGWINCH, SIGTERM, SIGINT and
// SIGHUP are written to a pipe that the view's loop polls, so they are
// handled between events. A crash signal puts the terminal back at once,
// with only async-signal-safe calls, and then takes its default course.
#pragma once

#include <string>

namespace tui {

class CSignals {
 public:
  // Installs the handlers, before ncurses starts so that it keeps to them.
  // A crash signal sets the terminal modes of nInFd as they are now again.
  CSignals(int nInFd, int nOutFd);
  // What a crash signal writes to nOutFd first.
  void SetLeave(const std::string& strLeave);
  ~CSignals();
  CSignals(const CSignals&) = delete;
  CSignals& operator=(const CSignals&) = delete;

  int Fd() const;
  // The next signal waiting in the pipe, 0 when none is.
  int Next();
};

}  // namespace tui
