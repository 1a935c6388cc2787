// A crash while the text view has the terminal: the signal puts the terminal
// back at once, with only async-signal-safe calls, and then takes its default
// course.
#pragma once

#include <string>

namespace tui {

class CCrashGuard {
 public:
  // Installs the handlers, before ncurses starts so that it keeps to them.
  // A crash signal sets the terminal modes of nInFd as they are now again.
  CCrashGuard(int nInFd, int nOutFd);
  // What a crash signal writes to nOutFd first.
  void SetLeave(const std::string& strLeave);
  ~CCrashGuard();
  CCrashGuard(const CCrashGuard&) = delete;
  CCrashGuard& operator=(const CCrashGuard&) = delete;
};

}  // namespace tui
