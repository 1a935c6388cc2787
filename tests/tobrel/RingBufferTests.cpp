// The receive buffer under a reader and a taker on two threads: every byte comes out as it
// went in, also when the buffer runs full and round, and its memory follows what it holds.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <fstream>
#include <random>
#include <thread>
#include <vector>

#include "RingBuffer.h"

using namespace tobrel;

namespace {

uint8_t PatternAt(uint64_t n) { return static_cast<uint8_t>((n * 2654435761u) >> 13); }

size_t ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  size_t nSize = 0, nResident = 0;
  statm >> nSize >> nResident;
  return nResident * static_cast<size_t>(sysconf(_SC_PAGESIZE));
}

}  // namespace

TEST(RingBuffer, EveryByteComesOutAsItWentInWhileTheBufferRunsFullAndRound) {
  constexpr size_t kCapacity = size_t{2} << 20;
  constexpr uint64_t kTotal = uint64_t{96} << 20;
  CRingBuffer ring(kCapacity);
  ring.Reset();
  std::thread producer([&] {
    std::mt19937 random(1);
    uint64_t nWritten = 0;
    while (nWritten < kTotal) {
      size_t nFree = 0;
      uint8_t* pArea = ring.FreeArea(nFree);
      if (pArea == nullptr) {
        std::this_thread::yield();
        continue;
      }
      size_t nCount = std::min<uint64_t>({nFree, 1 + random() % 70000, kTotal - nWritten});
      for (size_t i = 0; i < nCount; ++i) pArea[i] = PatternAt(nWritten + i);
      ring.Commit(nCount);
      nWritten += nCount;
    }
  });
  std::mt19937 random(2);
  std::vector<uint8_t> vecOut(1 << 20);
  uint64_t nRead = 0, nWrong = 0;
  while (nRead < kTotal) {
    // Now and then the taker stalls until the buffer is full.
    if (random() % 64 == 0)
      while (ring.Size() < kCapacity && ring.Size() < kTotal - nRead) std::this_thread::yield();
    size_t nCount = ring.Take(vecOut.data(), 1 + random() % vecOut.size());
    for (size_t i = 0; i < nCount; ++i) nWrong += vecOut[i] != PatternAt(nRead + i);
    nRead += nCount;
  }
  producer.join();
  EXPECT_EQ(nWrong, 0u);
  EXPECT_EQ(ring.LostTotal(), 0u);
}

TEST(RingBuffer, ABufferGoneRoundHoldsAboutWhatIsWaiting) {
  CRingBuffer ring;
  ring.Reset();
  const size_t nBefore = ResidentBytes();
  std::vector<uint8_t> vecOut(1023);
  // Four times round the buffer with never more than 64 KiB waiting, and never none.
  for (uint64_t nDone = 0; nDone < 4 * CRingBuffer::kCapacity;) {
    size_t nFree = 0;
    uint8_t* pArea = ring.FreeArea(nFree);
    size_t nCount = std::min<size_t>(nFree, 64 * 1024);
    std::fill_n(pArea, nCount, uint8_t{0x55});
    ring.Commit(nCount);
    while (ring.Size() >= vecOut.size()) nDone += ring.Take(vecOut.data(), vecOut.size());
  }
#ifndef __SANITIZE_ADDRESS__
  // AddressSanitizer keeps a shadow of what was written resident too, so its figure is not the buffer's.
  EXPECT_LT(ResidentBytes(), nBefore + (size_t{2} << 20));
#else
  (void)nBefore;
#endif
}

TEST(RingBuffer, AStreamTakenAsItComesKeepsToTheSameMemory) {
  CRingBuffer ring;
  ring.Reset();
  std::vector<uint8_t> vecOut(4096);
  rusage before{};
  getrusage(RUSAGE_THREAD, &before);
  // 16 MiB in reads of 4 KiB, each taken before the next, as the receive poll keeps up with
  // a steady stream: the buffer starts again at its beginning each time it is empty, so it
  // neither walks through fresh pages nor gives them back.
  for (uint64_t nDone = 0; nDone < (uint64_t{16} << 20); nDone += vecOut.size()) {
    size_t nFree = 0;
    uint8_t* pArea = ring.FreeArea(nFree);
    ASSERT_GE(nFree, vecOut.size());
    std::fill_n(pArea, vecOut.size(), static_cast<uint8_t>(nDone >> 12));
    ring.Commit(vecOut.size());
    ASSERT_EQ(ring.Take(vecOut.data(), vecOut.size()), vecOut.size());
    ASSERT_EQ(vecOut.back(), static_cast<uint8_t>(nDone >> 12));
  }
  rusage after{};
  getrusage(RUSAGE_THREAD, &after);
  // Walking on would have faulted in each of the 4096 pages once.
  EXPECT_LT(after.ru_minflt - before.ru_minflt, 64);
}
