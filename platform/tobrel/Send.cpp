#include "Send.h"

#include <cstdio>

#include "Capture.h"
#include "Messages.h"
#include "Tobrel.h"
#include "TobrelResults.h"

namespace tobrel {

namespace {

std::string Seconds(std::chrono::milliseconds duration) {
  char szText[32];
  std::snprintf(szText, sizeof szText, "%.1f s", static_cast<double>(duration.count()) / 1000.0);
  return szText;
}

std::string Bytes(uint64_t nCount) { return std::to_string(nCount) + (nCount == 1 ? " byte" : " bytes"); }

uint32_t ReportFull(const CPort& port, uint32_t nCount) {
  const CWriter::SBacklog backlog = port.Writer().Backlog();
  return Report(TOBREL_ERR_SEND_QUEUE_FULL, PortPrefix(port.Number()) + "the " + Bytes(nCount) +
                                                " were not sent: the output queue holds " + Bytes(backlog.nWaiting) +
                                                " of " + std::to_string(CWriter::kQueueCapacity) +
                                                ", waiting for the line. Send less, or less often.");
}

}  // namespace

uint32_t ReportStall(const CPort& port, const CWriter::SBacklog& backlog) {
  return Report(TOBREL_ERR_SEND_STALLED, PortPrefix(port.Number()) + Bytes(backlog.nWaiting) + " have waited " +
                                             Seconds(backlog.waited) + " to go out: " + port.Device() +
                                             " takes no data. " + kFlowAdvice);
}

uint32_t QueueBlock(CPort& port, const uint8_t* pData, uint32_t nCount) {
  std::lock_guard lock(port.IoMutex());
  if (port.Fd() < 0) return Report(TOBREL_ERR_NOT_OPEN, PortPrefix(port.Number()) + "the port was closed.");
  if (port.IsGone() || port.IsHungUp()) return ReportDisconnected(port);
  if (nCount > CWriter::kQueueCapacity)
    return Report(TOBREL_ERR_SEND_QUEUE_FULL,
                  PortPrefix(port.Number()) + "a block of " + Bytes(nCount) + " is larger than the output queue (" +
                      std::to_string(CWriter::kQueueCapacity) + " bytes) and was not sent. Send it in smaller blocks.");
  CWriter& writer = port.Writer();
  switch (writer.Queue(pData, nCount, [&] { CaptureSent(port.Number(), pData, nCount); })) {
    case CWriter::EQueue::Failed:
      return ReportDisconnected(port);
    case CWriter::EQueue::Stalled:
      return ReportStall(port, writer.Backlog());
    case CWriter::EQueue::Full:
      return ReportFull(port, nCount);
    default:
      return Report(TOBREL_OK, PortPrefix(port.Number()) + Bytes(nCount) +
                                   (nCount == 1 ? " is on its way" : " are on their way") + " to " + port.Device() +
                                   ".");
  }
}

}  // namespace tobrel

using namespace tobrel;

extern "C" uint32_t Send_Binary(uint8_t port, const uint8_t* data, uint32_t count, uint32_t /*reserved*/) {
  std::shared_ptr<CPort> pPort;
  if (const uint32_t nResult = LookUpPort(port, pPort); nResult != TOBREL_OK) return nResult;
  if (count == 0) return Report(TOBREL_OK, PortPrefix(port) + "an empty block, nothing to send.");
  if (data == nullptr) return Report(TOBREL_ERR_NO_BUFFER, PortPrefix(port) + "no data was given to send.");
  return QueueBlock(*pPort, data, count);
}
