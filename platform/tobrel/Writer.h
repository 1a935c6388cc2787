// The background writer of one open port: the caller's blocks wait in an output queue and
// go out in order at the line's speed, so a send never waits for the line. It watches how
// long bytes wait, so a device that stops taking them is told instead of waited for.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "RingBuffer.h"

namespace tobrel {

class CWriter {
 public:
  static constexpr size_t kQueueCapacity = size_t{1} << 20;

  CWriter();
  CWriter(const CWriter&) = delete;
  CWriter& operator=(const CWriter&) = delete;
  ~CWriter();

  // 0 or an errno value. nFd must stay open until Finish(). bEscapeIac doubles every 0xFF on
  // its way out, for a telnet connection.
  int Start(int nFd, bool bEscapeIac = false);
  // The time one character takes on the line; a stall is judged against it.
  void SetCharTime(std::chrono::microseconds charTime);

  enum class EQueue { Queued, Full, Stalled, Failed };
  // Queues all nCount bytes or none. onQueued runs once the block is taken, before the
  // writer can send any of it, so what it records comes before the device's answer.
  EQueue Queue(const uint8_t* pData, size_t nCount, const std::function<void()>& onQueued);

  struct SBacklog {
    uint64_t nWaiting = 0;                // in the queue and in the driver's own buffer
    std::chrono::milliseconds waited{0};  // since the device last took a byte
    bool bStalled = false;
  };
  SBacklog Backlog() const;
  // True once for each stall, until the device takes bytes again.
  bool TakeStallReport(SBacklog& backlog);
  bool StallReportPending() const;

  // Lets the queue drain for up to limit, then stops and drops what is left, in the
  // driver's buffer too; answers the count dropped. Harmless twice.
  uint64_t Finish(std::chrono::milliseconds limit);

 private:
  using Clock = std::chrono::steady_clock;

  void Run();
  void Wake() const;
  // The next bytes for the device, from the queue or, escaped, from m_vecEscaped; and their end.
  const uint8_t* NextArea(size_t& nArea);
  void Consume(size_t nDone);
  // Reads the driver's output count; the device took bytes when the total that left grew.
  void NoteProgress(Clock::time_point now);
  SBacklog BacklogLocked(Clock::time_point now) const;

  CRingBuffer m_queue;
  std::thread m_thread;
  int m_nFd = -1;
  int m_nWakeFd = -1;
  bool m_bEscapeIac = false;
  std::vector<uint8_t> m_vecEscaped;  // the writer thread's escaped bytes, from m_nEscapedSent on not yet written
  size_t m_nEscapedSent = 0;

  mutable std::mutex m_mtx;
  std::condition_variable m_cvDrained;
  uint64_t m_nWritten = 0;      // bytes the driver accepted
  uint64_t m_nLeft = 0;         // of those, bytes that left the driver
  uint64_t m_nDriverQueue = 0;  // accepted, not yet on the line
  uint64_t m_nEscapedLeft = 0;  // taken from the queue and escaped, not yet accepted
  Clock::time_point m_lastProgress{};
  std::chrono::microseconds m_charTime{10};
  bool m_bStallTold = false;
  bool m_bStop = false;
  int m_nFailure = 0;
};

}  // namespace tobrel
