// DataSizeInCom and Receive_Binary: the caller's side of the receive buffer.
//
// Lost bytes, the device's going, a stalled send and a failing capture file are told once
// each, by the next read: until then DataSizeInCom answers at least 1, so a caller that reads
// only what is waiting still meets them. Bytes buffered before any of them stay and are
// delivered in order.
#include <chrono>
#include <ctime>

#include "Capture.h"
#include "Elapsed.h"
#include "Messages.h"
#include "Port.h"
#include "Send.h"
#include "Tobrel.h"
#include "TobrelQueries.h"
#include "TobrelResults.h"

namespace tobrel {

namespace {

using Clock = std::chrono::steady_clock;

// "14:02:03", local time.
std::string TimeOfDay(std::chrono::system_clock::time_point when) {
  const std::time_t nTime = std::chrono::system_clock::to_time_t(when);
  std::tm tmLocal{};
  localtime_r(&nTime, &tmLocal);
  char szText[16];
  std::strftime(szText, sizeof szText, "%H:%M:%S", &tmLocal);
  return szText;
}

uint32_t ReportLoss(const CPort& port, const CRingBuffer::SLoss& loss) {
  return Report(TOBREL_ERR_OVERFLOW, PortPrefix(port.Number()) + std::to_string(loss.nBytes) +
                                         " received bytes were lost from " + TimeOfDay(loss.since) +
                                         " on: the receive buffer (" + std::to_string(CRingBuffer::kCapacity >> 20) +
                                         " MiB) was full. What came before and after "
                                         "is kept. " +
                                         kReadMoreOften);
}

uint32_t ReportGone(const CPort& port, size_t nBuffered, uint16_t nCount) {
  if (nBuffered == 0 || nCount <= nBuffered) return ReportDisconnected(port);
  return ReportDisconnected(
      port, " (" + std::to_string(nBuffered) + " of the " + std::to_string(nCount) + " bytes asked for came)");
}

}  // namespace

}  // namespace tobrel

using namespace tobrel;

// The two queries leave this thread's last message as it was: a caller polls them.
extern "C" uint32_t DataSizeInCom(uint8_t port) {
  const std::shared_ptr<CPort> pPort = FindPort(port);
  if (!pPort) return 0;
  // What has gathered in the device's buffer since the reader's last read counts too.
  pPort->Receiver().Drain();
  const CRingBuffer& ring = pPort->Ring();
  const size_t nSize = ring.Size();
  const bool bNews = ring.HasNews() || pPort->Writer().StallReportPending() || CaptureReportPending();
  return nSize == 0 && bNews ? 1 : static_cast<uint32_t>(nSize);
}

extern "C" uint64_t LostBytesInCom(uint8_t port) {
  const std::shared_ptr<CPort> pPort = FindPort(port);
  return pPort ? pPort->Ring().LostTotal() : 0;
}

extern "C" uint16_t Receive_Binary(uint8_t port, uint8_t* buffer, uint16_t timeout, uint16_t count, uint32_t* elapsed) {
  const auto start = Clock::now();
  const auto finish = [&](uint32_t nResult) {
    StoreElapsed(elapsed, start);
    return static_cast<uint16_t>(nResult);
  };
  std::shared_ptr<CPort> pPort;
  if (const uint32_t nResult = LookUpPort(port, pPort); nResult != TOBREL_OK) return finish(nResult);
  if (buffer == nullptr && count != 0)
    return finish(Report(TOBREL_ERR_NO_BUFFER, PortPrefix(port) + "no buffer was given to receive into."));

  // News is told before the next delivery; the bytes stay for the next call.
  if (std::string strCapture; TakeCaptureReport(strCapture)) return finish(Report(TOBREL_ERR_CAPTURE, strCapture));
  if (CWriter::SBacklog backlog; pPort->Writer().TakeStallReport(backlog)) return finish(ReportStall(*pPort, backlog));
  CRingBuffer& ring = pPort->Ring();
  if (const CRingBuffer::SLoss loss = ring.TakeLost(); loss.nBytes != 0) return finish(ReportLoss(*pPort, loss));

  switch (ring.WaitFor(count, start + std::chrono::milliseconds(timeout))) {
    case CRingBuffer::EWait::Ready:
      ring.Take(buffer, count);
      return finish(Report(TOBREL_OK, {}));
    case CRingBuffer::EWait::Gone:
      ring.TakeGoneNews();
      return finish(ReportGone(*pPort, ring.Size(), count));
    default:
      return finish(Report(TOBREL_ERR_RECEIVE_TIMEOUT, PortPrefix(port) + std::to_string(count) + " bytes asked for, " +
                                                           std::to_string(ring.Size()) + " arrived within " +
                                                           std::to_string(timeout) + " ms; they stay buffered."));
  }
}
