// Module commands: a text line out, a CR-terminated reply line back.
//
// The receive buffer is not flushed before a command: bytes the terminal has not polled yet
// are never thrown away, so a reply may be preceded by them. On a timeout the characters that
// did come are stored and taken from the buffer.
#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>

#include "CommandReply.h"
#include "Elapsed.h"
#include "Messages.h"
#include "Port.h"
#include "Send.h"
#include "Tobrel.h"
#include "TobrelResults.h"

namespace tobrel {

namespace {

using Clock = std::chrono::steady_clock;

// Bytes looked at per step while the reply is searched for its CR.
constexpr size_t kPeekChunk = 4096;

// Takes the reply from the receive buffer until its CR, the deadline, or the device leaving.
uint32_t ReadReply(CPort& port, SCommandReply& reply, Clock::time_point deadline, uint16_t nTimeout) {
  CRingBuffer& ring = port.Ring();
  uint8_t abyChunk[kPeekChunk];
  while (!reply.bComplete) {
    const size_t nLooked = std::min(ring.Size(), kPeekChunk);
    if (nLooked != 0 && ring.Peek(abyChunk, nLooked)) {
      ring.Take(nullptr, ParseCommandReply(abyChunk, nLooked, reply));
      continue;
    }
    const CRingBuffer::EWait wait = ring.WaitFor(1, deadline);
    if (wait == CRingBuffer::EWait::Timeout)
      return Report(TOBREL_ERR_REPLY_TIMEOUT, PortPrefix(port.Number()) +
                                                  "no complete reply (ending with CR) "
                                                  "within " +
                                                  std::to_string(nTimeout) + " ms.");
    if (wait == CRingBuffer::EWait::Gone) return ReportDisconnected(port, " before the reply ended");
  }
  return TOBREL_OK;
}

}  // namespace

}  // namespace tobrel

using namespace tobrel;

extern "C" uint32_t Send_Cmd(uint8_t port, const char* command, uint8_t checksum, uint8_t /*reserved*/) {
  std::shared_ptr<CPort> pPort;
  if (const uint32_t nResult = LookUpPort(port, pPort); nResult != TOBREL_OK) return nResult;
  if (command == nullptr) return Report(TOBREL_ERR_NO_BUFFER, PortPrefix(port) + "no command was given to send.");
  std::string strLine = command;
  if (checksum == 1) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    const uint8_t bySum = CommandChecksum(strLine.data(), strLine.size());
    strLine += kHex[bySum >> 4];
    strLine += kHex[bySum & 0x0F];
  }
  strLine += '\r';
  return QueueBlock(*pPort, reinterpret_cast<const uint8_t*>(strLine.data()), static_cast<uint32_t>(strLine.size()));
}

extern "C" uint32_t Receive_Cmd(uint8_t port, char* reply, uint16_t timeout, uint8_t checksum, uint32_t* elapsed) {
  const auto start = Clock::now();
  SCommandReply parsed;
  ClearCommandReply(parsed);
  uint32_t nResult = TOBREL_OK;
  std::shared_ptr<CPort> pPort;
  if (reply == nullptr)
    nResult = Report(TOBREL_ERR_NO_BUFFER, PortPrefix(port) + "no buffer was given for the reply.");
  else
    nResult = LookUpPort(port, pPort);
  if (nResult == TOBREL_OK) nResult = ReadReply(*pPort, parsed, start + std::chrono::milliseconds(timeout), timeout);
  if (nResult == TOBREL_OK && parsed.bTruncated)
    nResult = Report(TOBREL_ERR_REPLY_TRUNCATED, PortPrefix(port) + "the reply was longer than " +
                                                     std::to_string(kReplyMaxLength) + " characters and was cut.");
  if (nResult == TOBREL_OK && checksum == 1 && !StripReplyChecksum(parsed))
    nResult =
        Report(TOBREL_ERR_CHECKSUM, PortPrefix(port) + "the reply \"" + parsed.szText + "\" has no valid checksum.");
  if (reply != nullptr) std::memcpy(reply, parsed.szText, parsed.nLength + 1);
  StoreElapsed(elapsed, start);
  return nResult;
}

extern "C" uint32_t Send_Receive_Cmd(uint8_t port, const char* command, char* reply, uint16_t timeout, uint8_t checksum,
                                     uint32_t* elapsed, uint8_t reserved) {
  const auto start = Clock::now();
  const uint32_t nSent = Send_Cmd(port, command, checksum, reserved);
  if (nSent != TOBREL_OK) {
    if (reply != nullptr) reply[0] = '\0';
    StoreElapsed(elapsed, start);
    return nSent;
  }
  const uint32_t nResult = Receive_Cmd(port, reply, timeout, checksum, elapsed);
  StoreElapsed(elapsed, start);
  return nResult;
}
