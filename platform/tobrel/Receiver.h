// The background reader of one open port: moves every byte the device delivers into the
// port's receive buffer, so nothing is lost while the caller's thread is busy (the kernel
// itself keeps only about 4 KiB). It hands what it reads to the capture file as well.
//
// On a steady stream it lets bytes gather in the device's buffer for a while after each
// read, as long as the line's top rate cannot fill that buffer meanwhile. A caller's poll
// reads what has gathered (Drain) and so puts the reader's next read off: at the line rate
// the thread wakes about once between two polls, and no byte waits for the reader.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "RingBuffer.h"
#include "Telnet.h"

namespace tobrel {

// How long the reader waits after a read for more bytes to gather, for a stream measured at
// nRate bytes a second on a line whose top rate is nLineRate (0 when not known); zero reads
// each byte as it comes.
std::chrono::milliseconds GatherTime(uint64_t nRate, uint64_t nLineRate, bool bNetwork);

class CReceiver {
 public:
  CReceiver() = default;
  CReceiver(const CReceiver&) = delete;
  CReceiver& operator=(const CReceiver&) = delete;
  ~CReceiver();

  // 0 or an errno value. nFd must stay open until Stop(); nPort names it in the capture. A
  // network port's socket reads through its telnet layer when it has one (pTelnet), and its
  // end is a connection closed rather than a device gone.
  int Start(int nFd, CRingBuffer& ring, uint8_t nPort, bool bNetwork = false, CTelnetDecoder* pTelnet = nullptr);
  void Stop();
  // The line's top rate in bytes a second (its baud rate over the bits of a character).
  void SetLineRate(uint64_t nBytesPerSecond) { m_nLineRate = nBytesPerSecond; }
  // Reads what has gathered in the device's buffer, from the caller's thread.
  void Drain();
  // Why reading ended: an errno value, or 0 for the other side's orderly end.
  int GoneError() const { return m_nGoneError; }

 private:
  void Run();
  // One read of the device into the buffer and the capture, with m_mtxRead held: what read()
  // answered, 0 for the end of the stream.
  ssize_t ReadOnce();
  // Starts the wait after a read, with m_mtxRead held; false when bytes are read as they come.
  bool ArmGather();

  std::thread m_thread;
  int m_nStopFd = -1;
  int m_nTimerFd = -1;  // ends the wait after a read
  std::atomic<uint64_t> m_nLineRate = 0;
  std::atomic<int> m_nGoneError = 0;

  // One read at a time, the reader's or a caller's, so bytes enter the buffer in order.
  std::mutex m_mtxRead;
  bool m_bRunning = false;
  int m_nFd = -1;
  CRingBuffer* m_pRing = nullptr;
  uint8_t m_nPort = 0;
  bool m_bNetwork = false;
  CTelnetDecoder* m_pTelnet = nullptr;
  std::vector<uint8_t> m_vecScratch;  // for bytes that find the buffer full
  // The rate of the last window decides the wait after the next reads.
  std::chrono::steady_clock::time_point m_windowStart;
  uint64_t m_nWindowBytes = 0;
  std::chrono::milliseconds m_gather{0};
};

}  // namespace tobrel
