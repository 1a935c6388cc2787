// The background reader of one open port: moves every byte the device delivers into the
// port's receive buffer, so nothing is lost while the caller's thread is busy (the kernel
// itself keeps only about 4 KiB). It hands what it reads to the capture file as well.
#pragma once

#include <atomic>
#include <thread>

#include "RingBuffer.h"
#include "Telnet.h"

namespace tobrel {

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
  // Why reading ended: an errno value, or 0 for the other side's orderly end.
  int GoneError() const { return m_nGoneError; }

 private:
  void Run(int nFd, CRingBuffer& ring, uint8_t nPort, bool bNetwork, CTelnetDecoder* pTelnet);

  std::thread m_thread;
  int m_nStopFd = -1;
  std::atomic<int> m_nGoneError = 0;
};

}  // namespace tobrel
