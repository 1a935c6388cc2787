// The background reader of one open port: moves every byte the device delivers into the
// port's receive buffer, so nothing is lost while the caller's thread is busy (the kernel
// itself keeps only about 4 KiB). It hands what it reads to the capture file as well.
#pragma once

#include <thread>

#include "RingBuffer.h"

namespace tobrel {

class CReceiver {
 public:
  CReceiver() = default;
  CReceiver(const CReceiver&) = delete;
  CReceiver& operator=(const CReceiver&) = delete;
  ~CReceiver();

  // 0 or an errno value. nFd must stay open until Stop(); nPort names it in the capture.
  int Start(int nFd, CRingBuffer& ring, uint8_t nPort);
  void Stop();

 private:
  void Run(int nFd, CRingBuffer& ring, uint8_t nPort);

  std::thread m_thread;
  int m_nStopFd = -1;
};

}  // namespace tobrel
