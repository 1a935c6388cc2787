#include "Receiver.h"

#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <system_error>
#include <vector>

#include "Capture.h"
#include "PortNumber.h"

namespace tobrel {

namespace {

// Read size into the ring, and the scratch for bytes that find it full.
constexpr size_t kReadChunk = 64 * 1024;
// On a slow line the thread waits a moment after each read for bytes to
// gather instead of waking for every few. The wait is far below the receive
// poll's 50 ms, and at the rate below which it waits fills far less than
// the kernel's buffer; a faster stream is read as it comes.
constexpr int kGatherMs = 10;
// A network port's reads each cost the kernel TCP acknowledgements too, and its server
// already batches what it sends (ser2net waits a moment for more): it gathers longer.
constexpr int kNetworkGatherMs = 20;
constexpr uint64_t kGatherBelowBytesPerSecond = 256 * 1024;
constexpr auto kRateWindow = std::chrono::milliseconds(100);

}  // namespace

CReceiver::~CReceiver() { Stop(); }

int CReceiver::Start(int nFd, CRingBuffer& ring, uint8_t nPort, bool bNetwork, CTelnetDecoder* pTelnet) {
  m_nGoneError = 0;
  m_nStopFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (m_nStopFd < 0) return errno;
  try {
    m_thread = std::thread(&CReceiver::Run, this, nFd, std::ref(ring), nPort, bNetwork, pTelnet);
  } catch (const std::system_error& error) {
    close(m_nStopFd);
    m_nStopFd = -1;
    return error.code().value();
  }
  return 0;
}

void CReceiver::Stop() {
  if (m_thread.joinable()) {
    const uint64_t nOne = 1;
    while (write(m_nStopFd, &nOne, sizeof nOne) < 0 && errno == EINTR) {
    }
    m_thread.join();
  }
  if (m_nStopFd >= 0) {
    close(m_nStopFd);
    m_nStopFd = -1;
  }
}

void CReceiver::Run(int nFd, CRingBuffer& ring, uint8_t nPort, bool bNetwork, CTelnetDecoder* pTelnet) {
  pthread_setname_np(pthread_self(), ("quorvel " + PortName(nPort) + " rx").c_str());
  std::vector<uint8_t> vecScratch(kReadChunk);
  pollfd afd[2] = {{nFd, POLLIN, 0}, {m_nStopFd, POLLIN, 0}};
  // The rate of the last window decides whether the next reads gather.
  auto windowStart = std::chrono::steady_clock::now();
  uint64_t nWindowBytes = 0;
  bool bGather = false;
  for (;;) {
    if (poll(afd, 2, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (afd[1].revents != 0) return;
    if (afd[0].revents & POLLNVAL) break;
    if (afd[0].revents == 0) continue;
    // Also on POLLHUP and POLLERR: read tells whether bytes remain or the device is gone.
    size_t nFree = 0;
    uint8_t* pArea = ring.FreeArea(nFree);
    const bool bFull = pArea == nullptr;
    const ssize_t nRead =
        bFull ? read(nFd, vecScratch.data(), kReadChunk) : read(nFd, pArea, std::min(nFree, kReadChunk));
    if (nRead > 0) {
      uint8_t* pRead = bFull ? vecScratch.data() : pArea;
      const size_t nCount =
          pTelnet != nullptr ? pTelnet->Decode(pRead, static_cast<size_t>(nRead)) : static_cast<size_t>(nRead);
      if (nCount == 0) continue;
      // The capture copies the bytes before the caller's side can take and reuse the area.
      CaptureReceived(nPort, pRead, nCount);
      if (bFull) {
        // The file has each event before a caller can learn of it.
        CaptureEvent(nPort, std::to_string(nCount) + " bytes lost: the receive buffer was full");
        ring.CountLost(nCount);
      } else {
        ring.Commit(nCount);
      }
      nWindowBytes += nCount;
      const auto now = std::chrono::steady_clock::now();
      if (now - windowStart >= kRateWindow) {
        const auto nElapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(now - windowStart).count();
        bGather = nWindowBytes * 1000 < kGatherBelowBytesPerSecond * static_cast<uint64_t>(nElapsedMs);
        windowStart = now;
        nWindowBytes = 0;
      }
      if (bGather && poll(&afd[1], 1, bNetwork ? kNetworkGatherMs : kGatherMs) > 0) return;
      continue;
    }
    const bool bHangUp = afd[0].revents & (POLLHUP | POLLERR);
    if (nRead < 0 && (errno == EAGAIN || errno == EINTR) && !bHangUp) continue;
    // End of file (hung up, adapter pulled, the server closed) or EIO (pseudo-terminal's other
    // side closed), ECONNRESET or ETIMEDOUT (a dead link).
    if (nRead < 0) m_nGoneError = errno;
    break;
  }
  CaptureEvent(nPort, bNetwork ? "connection closed" : "device gone");
  ring.MarkGone();
}

}  // namespace tobrel
