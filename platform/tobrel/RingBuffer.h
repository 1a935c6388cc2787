// A byte queue between threads: the receive buffer of one port (one background reader fills
// it, the caller's threads take from it) and its output queue (the caller's threads append,
// the writer takes). Bytes that arrive while it is full are counted as lost; older ones are
// never overwritten. Its memory follows what it holds: drained parts go back to the system.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

namespace tobrel {

class CRingBuffer {
 public:
  // The receive buffer's size: about a second of the fastest stream a pseudo-terminal
  // carries, so a window's thread may stall that long; it costs memory only while full.
  static constexpr size_t kCapacity = size_t{64} << 20;

  explicit CRingBuffer(size_t nCapacity = kCapacity);

  // Producer side, for the port's receiver, one read at a time: a free contiguous area (nullptr, 0 when full),
  // filled outside the lock and then committed.
  uint8_t* FreeArea(size_t& nSize);
  void Commit(size_t nCount);
  void CountLost(size_t nCount);
  // All nCount bytes, or none (false) when they do not fit.
  bool Append(const uint8_t* pData, size_t nCount);
  // The device went away: waiters stop waiting for more.
  void MarkGone();

  // Empties the buffer for a fresh open; no reader may run.
  void Reset();

  size_t Capacity() const { return m_nCapacity; }
  size_t Size() const;
  bool IsGone() const;

  // Bytes lost since the last call, and when the first of them was, and clears the count.
  struct SLoss {
    uint64_t nBytes = 0;
    std::chrono::system_clock::time_point since;
  };
  SLoss TakeLost();
  // Bytes lost since the buffer was last emptied for an open.
  uint64_t LostTotal() const;
  // True once after the device went away, for telling it once.
  bool TakeGoneNews();
  // Lost bytes or the device's going not told yet.
  bool HasNews() const;

  enum class EWait { Ready, Timeout, Gone };
  // Waits until at least nCount bytes are buffered, up to the deadline.
  EWait WaitFor(size_t nCount, std::chrono::steady_clock::time_point deadline);

  // Copies the oldest nCount bytes into pOut without taking them; false when fewer are
  // buffered.
  bool Peek(uint8_t* pOut, size_t nCount) const;
  // Consumer side: the oldest bytes as one contiguous area (nullptr, 0 when empty), valid
  // until they are taken.
  const uint8_t* DataArea(size_t& nSize) const;
  // Takes nCount bytes (at most the fill) into pOut, or drops them when pOut is null.
  size_t Take(uint8_t* pOut, size_t nCount);

 private:
  void CopyOut(uint64_t nFrom, uint8_t* pOut, size_t nCount) const;
  // An empty buffer starts again at its beginning, whose pages are in use already, rather
  // than walking on onto pages given back: a steady stream that the caller keeps up with
  // touches no new memory. With m_mtx held, and no free area lent.
  void RewindEmpty();
  // Gives back the memory of bytes [nFrom, nTo), just taken.
  void ReleaseDrained(uint64_t nFrom, uint64_t nTo);

  struct SFree {
    void operator()(uint8_t* p) const;
  };

  size_t m_nCapacity;
  std::unique_ptr<uint8_t[], SFree> m_pData;  // starts on a page, so drained granules give whole pages back
  mutable std::mutex m_mtx;
  std::condition_variable m_cvData;
  uint64_t m_nHead = 0;     // total bytes taken
  uint64_t m_nTail = 0;     // total bytes committed
  uint64_t m_nLentEnd = 0;  // the end of the last free area handed to the producer
  uint64_t m_nLost = 0;
  uint64_t m_nLostTotal = 0;
  std::chrono::system_clock::time_point m_lostSince;
  bool m_bGone = false;
  bool m_bGoneTold = false;
};

}  // namespace tobrel
