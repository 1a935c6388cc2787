#include "Send.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "Messages.h"
#include "Tobrel.h"
#include "TobrelResults.h"

namespace {

using Clock = std::chrono::steady_clock;

// Beyond the line's own time: the driver's and the other side's latency.
constexpr std::chrono::milliseconds kSendMargin{500};

std::chrono::milliseconds LineTime(const SLineFlags& flags, uint32_t nCount) {
  const uint64_t nBits = uint64_t{nCount} * flags.nBitsPerChar;
  return std::chrono::milliseconds(nBits * 1000 / flags.nBaud + 1);
}

uint32_t ReportDisconnected(const CPort& port) {
  return Report(TOBREL_ERR_DISCONNECTED, PortPrefix(port.Number()) + port.Device() +
                                             " has disconnected. Plug it in again, then open the port again.");
}

uint32_t ReportShort(const CPort& port, uint32_t nWritten, uint32_t nCount, std::chrono::milliseconds waited) {
  const std::string strWaited = std::to_string(waited.count()) + " ms";
  if (nWritten == 0)
    return Report(TOBREL_ERR_SEND_TIMEOUT, PortPrefix(port.Number()) + "nothing could be sent within " + strWaited +
                                               ": " + port.Device() +
                                               " takes no data. Check the cable and "
                                               "the other side's flow control.");
  return Report(TOBREL_ERR_PARTIAL_WRITE, PortPrefix(port.Number()) + "only " + std::to_string(nWritten) + " of " +
                                              std::to_string(nCount) + " bytes could be sent within " + strWaited +
                                              ". Check the cable and the other side's flow control.");
}

}  // namespace

uint32_t WriteAll(CPort& port, const uint8_t* pData, uint32_t nCount) {
  std::lock_guard lock(port.IoMutex());
  if (port.Fd() < 0) return Report(TOBREL_ERR_NOT_OPEN, PortPrefix(port.Number()) + "the port was closed.");
  if (port.IsGone()) return ReportDisconnected(port);

  const auto allowed = LineTime(port.Flags(), nCount) + kSendMargin;
  const auto deadline = Clock::now() + allowed;
  uint32_t nWritten = 0;
  while (nWritten < nCount) {
    const ssize_t nDone = write(port.Fd(), pData + nWritten, nCount - nWritten);
    if (nDone > 0) {
      nWritten += static_cast<uint32_t>(nDone);
      continue;
    }
    if (nDone < 0 && errno == EINTR) continue;
    if (nDone < 0 && errno != EAGAIN) {
      if (errno == EIO || errno == ENXIO || errno == ENODEV) return ReportDisconnected(port);
      return Report(TOBREL_ERR_SEND_FAILED,
                    PortPrefix(port.Number()) + "sending to " + port.Device() + " failed: " + SystemError(errno) + ".");
    }
    const auto remaining = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (remaining.count() <= 0) return ReportShort(port, nWritten, nCount, allowed);
    pollfd pfd{port.Fd(), POLLOUT, 0};
    const int nReady = poll(&pfd, 1, static_cast<int>(remaining.count()));
    if (nReady > 0 && !(pfd.revents & POLLOUT) && (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)))
      return ReportDisconnected(port);
  }
  return Report(TOBREL_OK, {});
}

extern "C" uint32_t Send_Binary(uint8_t port, const uint8_t* data, uint32_t count, uint32_t /*reserved*/) {
  std::shared_ptr<CPort> pPort;
  if (const uint32_t nResult = LookUpPort(port, pPort); nResult != TOBREL_OK) return nResult;
  if (count == 0) return Report(TOBREL_OK, {});
  if (data == nullptr) return Report(TOBREL_ERR_NO_BUFFER, PortPrefix(port) + "no data was given to send.");
  return WriteAll(*pPort, data, count);
}
