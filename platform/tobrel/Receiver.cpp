#include "Receiver.h"

#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

#include "Capture.h"
#include "PortNumber.h"

namespace tobrel {

namespace {

// Read size into the ring, and the scratch for bytes that find it full.
constexpr size_t kReadChunk = 64 * 1024;
// A reply or a trickle is read 10 ms after its first bytes, far below the receive poll's
// 50 ms; a network port's reads each cost TCP acknowledgements too, and its server already
// batches what it sends (ser2net waits a moment for more): it gathers longer.
constexpr int kBurstGatherMs = 10;
constexpr int kNetworkBurstGatherMs = 20;
constexpr uint64_t kSteadyBytesPerSecond = 4 * 1024;
// A steady stream gathers until about this much waits, well within the 4 KiB a serial
// device's buffer holds even at the line's top rate, so a late wake still finds room; and
// at most this long, beyond half the poll's period, so that a poll's read and the reader's
// take turns.
constexpr uint64_t kGatherBytes = 2560;
constexpr int kMaxGatherMs = 40;
constexpr auto kRateWindow = std::chrono::milliseconds(100);

}  // namespace

std::chrono::milliseconds GatherTime(uint64_t nRate, uint64_t nLineRate, bool bNetwork) {
  if (nRate < kSteadyBytesPerSecond)
    return std::chrono::milliseconds(bNetwork ? kNetworkBurstGatherMs : kBurstGatherMs);
  const uint64_t nMs = kGatherBytes * 1000 / std::max(nRate, nLineRate);
  // A stream this fast would fill the device's buffer within the shortest wait.
  if (nMs < static_cast<uint64_t>(kBurstGatherMs)) return std::chrono::milliseconds(0);
  return std::chrono::milliseconds(std::min<uint64_t>(nMs, kMaxGatherMs));
}

CReceiver::~CReceiver() { Stop(); }

int CReceiver::Start(int nFd, CRingBuffer& ring, uint8_t nPort, bool bNetwork, CTelnetDecoder* pTelnet) {
  m_nGoneError = 0;
  m_nStopFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (m_nStopFd < 0) return errno;
  m_nTimerFd = timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC | TFD_NONBLOCK);
  int nError = m_nTimerFd < 0 ? errno : 0;
  if (nError == 0) {
    std::lock_guard lock(m_mtxRead);
    m_nFd = nFd;
    m_pRing = &ring;
    m_nPort = nPort;
    m_bNetwork = bNetwork;
    m_pTelnet = pTelnet;
    m_vecScratch.resize(kReadChunk);
    m_windowStart = std::chrono::steady_clock::now();
    m_nWindowBytes = 0;
    m_gather = std::chrono::milliseconds(0);
    m_bRunning = true;
    try {
      m_thread = std::thread(&CReceiver::Run, this);
    } catch (const std::system_error& error) {
      m_bRunning = false;
      nError = error.code().value();
    }
  }
  if (nError != 0) Stop();
  return nError;
}

void CReceiver::Stop() {
  if (m_thread.joinable()) {
    const uint64_t nOne = 1;
    while (write(m_nStopFd, &nOne, sizeof nOne) < 0 && errno == EINTR) {
    }
    m_thread.join();
  }
  {
    std::lock_guard lock(m_mtxRead);
    m_bRunning = false;
  }
  for (int* pFd : {&m_nStopFd, &m_nTimerFd}) {
    if (*pFd >= 0) close(*pFd);
    *pFd = -1;
  }
}

void CReceiver::Drain() {
  std::lock_guard lock(m_mtxRead);
  // A stream read as it comes has nothing gathering.
  if (!m_bRunning || m_gather.count() == 0) return;
  if (ReadOnce() > 0) ArmGather();
}

ssize_t CReceiver::ReadOnce() {
  size_t nFree = 0;
  uint8_t* pArea = m_pRing->FreeArea(nFree);
  const bool bFull = pArea == nullptr;
  uint8_t* pRead = bFull ? m_vecScratch.data() : pArea;
  const ssize_t nRead = read(m_nFd, pRead, bFull ? kReadChunk : std::min(nFree, kReadChunk));
  if (nRead <= 0) return nRead;
  const size_t nCount =
      m_pTelnet != nullptr ? m_pTelnet->Decode(pRead, static_cast<size_t>(nRead)) : static_cast<size_t>(nRead);
  if (nCount == 0) return nRead;
  // The capture copies the bytes before the caller's side can take and reuse the area.
  CaptureReceived(m_nPort, pRead, nCount);
  if (bFull) {
    // The file has each event before a caller can learn of it.
    CaptureEvent(m_nPort, std::to_string(nCount) + " bytes lost: the receive buffer was full");
    m_pRing->CountLost(nCount);
  } else {
    m_pRing->Commit(nCount);
  }
  m_nWindowBytes += nCount;
  const auto now = std::chrono::steady_clock::now();
  if (now - m_windowStart >= kRateWindow) {
    const auto nElapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(now - m_windowStart).count();
    m_gather = GatherTime(m_nWindowBytes * 1000 / static_cast<uint64_t>(std::max<int64_t>(nElapsedMs, 1)), m_nLineRate,
                          m_bNetwork);
    m_windowStart = now;
    m_nWindowBytes = 0;
  }
  return nRead;
}

bool CReceiver::ArmGather() {
  if (m_gather.count() == 0) return false;
  itimerspec its{};
  its.it_value.tv_sec = static_cast<time_t>(m_gather.count() / 1000);
  its.it_value.tv_nsec = static_cast<long>(m_gather.count() % 1000) * 1000000;
  return timerfd_settime(m_nTimerFd, 0, &its, nullptr) == 0;
}

void CReceiver::Run() {
  pthread_setname_np(pthread_self(), ("quorvel " + PortName(m_nPort) + " rx").c_str());
  pollfd afd[2] = {{m_nFd, POLLIN, 0}, {m_nStopFd, POLLIN, 0}};
  // The wait after a read: until the timer, which a caller's read puts off, or the stop.
  pollfd afdGather[2] = {{m_nStopFd, POLLIN, 0}, {m_nTimerFd, POLLIN, 0}};
  for (;;) {
    if (poll(afd, 2, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (afd[1].revents != 0) return;
    if (afd[0].revents & POLLNVAL) break;
    if (afd[0].revents == 0) continue;
    // Also on POLLHUP and POLLERR: read tells whether bytes remain or the device is gone.
    ssize_t nRead = 0;
    int nErrno = 0;
    bool bGather = false;
    {
      std::lock_guard lock(m_mtxRead);
      nRead = ReadOnce();
      nErrno = errno;
      if (nRead > 0) bGather = ArmGather();
    }
    if (nRead > 0) {
      if (!bGather) continue;
      while (poll(afdGather, 2, -1) < 0 && errno == EINTR) {
      }
      if (afdGather[0].revents != 0) return;
      continue;
    }
    const bool bHangUp = afd[0].revents & (POLLHUP | POLLERR);
    // A caller's read may have taken the bytes this wake was for.
    if (nRead < 0 && (nErrno == EAGAIN || nErrno == EINTR) && !bHangUp) continue;
    // End of file (hung up, adapter pulled, the server closed) or EIO (pseudo-terminal's other
    // side closed), ECONNRESET or ETIMEDOUT (a dead link).
    if (nRead < 0) m_nGoneError = nErrno;
    break;
  }
  CaptureEvent(m_nPort, m_bNetwork ? "connection closed" : "device gone");
  m_pRing->MarkGone();
}

}  // namespace tobrel
