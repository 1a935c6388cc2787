#include "SignalPipe.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace view {

namespace {

int g_anPipe[2] = {-1, -1};

void Queue(int nSignal) {
  int nSaved = errno;
  unsigned char by = static_cast<unsigned char>(nSignal);
  [[maybe_unused]] ssize_t n = write(g_anPipe[1], &by, 1);
  errno = nSaved;
}

}  // namespace

CSignalPipe::CSignalPipe(std::initializer_list<int> signals) : m_vecSignals(signals) {
  if (pipe2(g_anPipe, O_CLOEXEC | O_NONBLOCK) != 0) g_anPipe[0] = g_anPipe[1] = -1;
  for (int nSignal : m_vecSignals) {
    struct sigaction action {};
    action.sa_handler = Queue;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(nSignal, &action, nullptr);
  }
}

CSignalPipe::~CSignalPipe() {
  for (int nSignal : m_vecSignals) signal(nSignal, SIG_DFL);
  close(g_anPipe[0]);
  close(g_anPipe[1]);
  g_anPipe[0] = g_anPipe[1] = -1;
}

int CSignalPipe::Fd() const { return g_anPipe[0]; }

int CSignalPipe::Next() {
  unsigned char by = 0;
  return read(g_anPipe[0], &by, 1) == 1 ? by : 0;
}

}  // namespace view
