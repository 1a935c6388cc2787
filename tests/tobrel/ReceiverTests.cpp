// The port's reader: how long it lets bytes gather, and a stream in dribbles that the caller
// polls while the reader reads too.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "PseudoTerminal.h"
#include "Receiver.h"
#include "Tobrel.h"
#include "TobrelQueries.h"
#include "TobrelResults.h"

using namespace tobrel;
using std::chrono::milliseconds;

namespace {

// Bytes a second at a baud rate, 8N1.
constexpr uint64_t LineRate(uint64_t nBaud) { return nBaud / 10; }

}  // namespace

TEST(CGatherTimeTest, RepliesAndTricklesAreReadPromptly) {
  for (uint64_t nBaud : {9600, 115200, 921600, 3000000}) {
    EXPECT_EQ(GatherTime(0, LineRate(nBaud), false), milliseconds(10)) << nBaud;
    EXPECT_EQ(GatherTime(1000, LineRate(nBaud), false), milliseconds(10)) << nBaud;
  }
  // A network server batches what it sends anyway.
  EXPECT_EQ(GatherTime(1000, 0, true), milliseconds(20));
}

TEST(CGatherTimeTest, SteadyStreamsGatherWithoutFillingTheDevicesBuffer) {
  // A serial device's buffer holds 4 KiB; a wait leaves room for a late wake.
  constexpr uint64_t kRoom = 3 * 1024;
  for (uint64_t nBaud : {9600, 19200, 57600, 115200, 230400, 460800, 921600, 2000000}) {
    for (uint64_t nRate = 4 * 1024; nRate <= std::max<uint64_t>(LineRate(nBaud), 4 * 1024); nRate += 1024) {
      const milliseconds wait = GatherTime(nRate, LineRate(nBaud), false);
      EXPECT_LE(LineRate(nBaud) * static_cast<uint64_t>(wait.count()) / 1000, kRoom) << nBaud << " " << nRate;
    }
  }
  // At 921600 baud the wait is beyond half the receive poll's 50 ms, so a poll's read puts
  // the reader's next read off and the two take turns: one wake of the reader per poll.
  EXPECT_GT(GatherTime(LineRate(921600), LineRate(921600), false), milliseconds(25));
  EXPECT_GT(GatherTime(LineRate(115200), LineRate(115200), false), milliseconds(25));
}

TEST(CGatherTimeTest, FloodsAreReadAsTheyCome) {
  // A pseudo-terminal or a fast adapter carries far more than its nominal rate.
  EXPECT_EQ(GatherTime(1 << 20, LineRate(115200), false), milliseconds(0));
  EXPECT_EQ(GatherTime(100 << 20, 0, false), milliseconds(0));
  EXPECT_EQ(GatherTime(1 << 20, LineRate(3000000), true), milliseconds(0));
}

TEST(CReceiverTest, DribblesPolledWhileTheReaderReadsArriveWholeAndInOrder) {
  CTempDir dir;
  CPseudoTerminal pty;
  pty.MapPort(4, dir.File("com4"));
  ASSERT_EQ(Open_Com(4, 921600, 8, 0, 0), TOBREL_OK);

  std::vector<uint8_t> vecSent(96 * 1024);
  for (size_t i = 0; i < vecSent.size(); ++i) vecSent[i] = static_cast<uint8_t>((i * 31 + i / 251) & 0xFF);
  // About 100 KB/s in dribbles of uneven size: the reader gathers between its reads, and
  // the polls below read what has gathered meanwhile.
  std::thread device([&] {
    for (size_t nAt = 0, nStep = 0; nAt < vecSent.size(); ++nStep) {
      const size_t nCount = std::min<size_t>(40 + (nStep * 37) % 160, vecSent.size() - nAt);
      if (!pty.Write(vecSent.data() + nAt, nCount)) return;
      nAt += nCount;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  std::vector<uint8_t> vecReceived;
  uint8_t abyBlock[1024];
  uint32_t nElapsed = 0;
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (vecReceived.size() < vecSent.size() && std::chrono::steady_clock::now() < giveUp) {
    const auto nWaiting = static_cast<uint16_t>(std::min<uint32_t>(DataSizeInCom(4), sizeof abyBlock));
    if (nWaiting != 0 && Receive_Binary(4, abyBlock, 100, nWaiting, &nElapsed) == TOBREL_OK)
      vecReceived.insert(vecReceived.end(), abyBlock, abyBlock + nWaiting);
    std::this_thread::sleep_for(std::chrono::milliseconds(3));
  }
  device.join();
  EXPECT_TRUE(vecReceived == vecSent);
  EXPECT_EQ(LostBytesInCom(4), 0u);
  EXPECT_EQ(Close_Com(4), TOBREL_OK);
}
