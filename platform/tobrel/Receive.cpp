// DataSizeInCom and Receive_Binary: the caller's side of the receive buffer.
#include <chrono>

#include "Capture.h"
#include "Messages.h"
#include "Port.h"
#include "Send.h"
#include "Tobrel.h"
#include "TobrelResults.h"

namespace {

using Clock = std::chrono::steady_clock;

uint32_t ElapsedMs(Clock::time_point start) {
  return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

}  // namespace

// A report the receive poll has not met yet (a stalled device, a failing capture file) counts
// as a byte waiting, so that the poll reads and the read tells it.
extern "C" uint32_t DataSizeInCom(uint8_t port) {
  std::shared_ptr<CPort> pPort;
  if (LookUpPort(port, pPort) != TOBREL_OK) return 0;
  const auto nSize = static_cast<uint32_t>(pPort->Ring().Size());
  const CWriter::SBacklog backlog = pPort->Writer().Backlog();
  if (backlog.bStalled) ReportStall(*pPort, backlog);
  if (nSize == 0 && (pPort->Writer().StallReportPending() || CaptureReportPending())) return 1;
  return nSize;
}

extern "C" uint16_t Receive_Binary(uint8_t port, uint8_t* buffer, uint16_t timeout, uint16_t count, uint32_t* elapsed) {
  const auto start = Clock::now();
  const auto finish = [&](uint32_t nResult) {
    if (elapsed != nullptr) *elapsed = ElapsedMs(start);
    return static_cast<uint16_t>(nResult);
  };
  std::shared_ptr<CPort> pPort;
  if (const uint32_t nResult = LookUpPort(port, pPort); nResult != TOBREL_OK) return finish(nResult);
  if (buffer == nullptr && count != 0)
    return finish(Report(TOBREL_ERR_NO_BUFFER, PortPrefix(port) + "no buffer was given to receive into."));

  // Reports are told once each, before the next delivery; the bytes stay for the next call.
  if (std::string strCapture; TakeCaptureReport(strCapture)) return finish(Report(TOBREL_ERR_CAPTURE, strCapture));
  if (CWriter::SBacklog backlog; pPort->Writer().TakeStallReport(backlog)) return finish(ReportStall(*pPort, backlog));
  CRingBuffer& ring = pPort->Ring();
  // Lost bytes are told once, before the next delivery; the bytes stay for the next call.
  if (const uint64_t nLost = ring.TakeLost(); nLost != 0)
    return finish(Report(TOBREL_ERR_OVERFLOW, PortPrefix(port) + "the receive buffer (16 MiB) filled up and " +
                                                  std::to_string(nLost) +
                                                  " bytes were lost. Read the port more often."));

  switch (ring.WaitFor(count, start + std::chrono::milliseconds(timeout))) {
    case CRingBuffer::EWait::Ready:
      ring.Take(buffer, count);
      return finish(TOBREL_OK);
    case CRingBuffer::EWait::Gone:
      return finish(Report(TOBREL_ERR_DISCONNECTED, PortPrefix(port) + pPort->Device() + " has disconnected after " +
                                                        std::to_string(ring.Size()) + " of the " +
                                                        std::to_string(count) +
                                                        " bytes asked for. Plug it in "
                                                        "again, then open the port again."));
    default:
      return finish(Report(TOBREL_ERR_RECEIVE_TIMEOUT, PortPrefix(port) + std::to_string(count) + " bytes asked for, " +
                                                           std::to_string(ring.Size()) + " arrived within " +
                                                           std::to_string(timeout) + " ms; they stay buffered."));
  }
}
