#include "CrashGuard.h"

#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace tui {

namespace {

int g_nInFd = -1, g_nOutFd = -1;
termios g_modes;
bool g_bModes = false;
char g_achLeave[256];
size_t g_nLeave = 0;

constexpr int kCrash[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGQUIT};

void Crash(int nSignal) {
  [[maybe_unused]] ssize_t n = write(g_nOutFd, g_achLeave, g_nLeave);
  if (g_bModes) tcsetattr(g_nInFd, TCSANOW, &g_modes);
  signal(nSignal, SIG_DFL);
  raise(nSignal);
}

}  // namespace

CCrashGuard::CCrashGuard(int nInFd, int nOutFd) {
  g_nInFd = nInFd;
  g_nOutFd = nOutFd;
  g_bModes = tcgetattr(nInFd, &g_modes) == 0;
  for (int nSignal : kCrash) {
    struct sigaction action {};
    action.sa_handler = Crash;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    sigaction(nSignal, &action, nullptr);
  }
}

CCrashGuard::~CCrashGuard() {
  for (int nSignal : kCrash) signal(nSignal, SIG_DFL);
}

void CCrashGuard::SetLeave(const std::string& strLeave) {
  g_nLeave = 0;
  size_t n = std::min(strLeave.size(), sizeof g_achLeave);
  std::memcpy(g_achLeave, strLeave.data(), n);
  g_nLeave = n;
}

}  // namespace tui
