#include "Signals.h"

#include <fcntl.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tui {

namespace {

int g_anPipe[2] = {-1, -1};
int g_nInFd = -1, g_nOutFd = -1;
termios g_modes;
bool g_bModes = false;
char g_achLeave[256];
size_t g_nLeave = 0;

constexpr int kQueued[] = {SIGWINCH, SIGTERM, SIGINT, SIGHUP};
constexpr int kCrash[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGQUIT};

void Queue(int nSignal) {
  int nSaved = errno;
  unsigned char by = static_cast<unsigned char>(nSignal);
  [[maybe_unused]] ssize_t n = write(g_anPipe[1], &by, 1);
  errno = nSaved;
}

void Crash(int nSignal) {
  [[maybe_unused]] ssize_t n = write(g_nOutFd, g_achLeave, g_nLeave);
  if (g_bModes) tcsetattr(g_nInFd, TCSANOW, &g_modes);
  signal(nSignal, SIG_DFL);
  raise(nSignal);
}

void Install(int nSignal, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = handler == Crash ? SA_RESETHAND : SA_RESTART;
  sigaction(nSignal, &action, nullptr);
}

}  // namespace

CSignals::CSignals(int nInFd, int nOutFd) {
  if (pipe2(g_anPipe, O_CLOEXEC | O_NONBLOCK) != 0) g_anPipe[0] = g_anPipe[1] = -1;
  g_nInFd = nInFd;
  g_nOutFd = nOutFd;
  g_bModes = tcgetattr(nInFd, &g_modes) == 0;
  for (int n : kQueued) Install(n, Queue);
  for (int n : kCrash) Install(n, Crash);
}

CSignals::~CSignals() {
  for (int n : kQueued) signal(n, SIG_DFL);
  for (int n : kCrash) signal(n, SIG_DFL);
  close(g_anPipe[0]);
  close(g_anPipe[1]);
  g_anPipe[0] = g_anPipe[1] = -1;
}

void CSignals::SetLeave(const std::string& strLeave) {
  g_nLeave = 0;
  size_t n = std::min(strLeave.size(), sizeof g_achLeave);
  std::memcpy(g_achLeave, strLeave.data(), n);
  g_nLeave = n;
}

int CSignals::Fd() const { return g_anPipe[0]; }

int CSignals::Next() {
  unsigned char by = 0;
  return read(g_anPipe[0], &by, 1) == 1 ? by : 0;
}

}  // namespace tui
