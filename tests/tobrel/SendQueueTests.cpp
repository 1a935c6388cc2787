// The output queue: sends answer at once while the line is slow or the device takes
// nothing, the bytes go out in order, a stalled device and a full queue are told, and a
// close drains what it can and counts what it drops.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "PseudoTerminal.h"
#include "Tobrel.h"
#include "TobrelResults.h"

namespace {

using Clock = std::chrono::steady_clock;

std::vector<uint8_t> Pattern(size_t nCount, size_t nFrom = 0) {
  std::vector<uint8_t> vecData(nCount);
  for (size_t i = 0; i < nCount; ++i) vecData[i] = static_cast<uint8_t>(((nFrom + i) * 13 + (nFrom + i) / 251) & 0xFF);
  return vecData;
}

// Sends the block and answers its result; the call must come back within 100 ms.
uint32_t TimedSend(uint8_t nPort, const std::vector<uint8_t>& vecBlock) {
  const auto start = Clock::now();
  const uint32_t nResult = Send_Binary(nPort, vecBlock.data(), static_cast<uint32_t>(vecBlock.size()), 0);
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(100)) << "a send held its caller";
  return nResult;
}

uint64_t NumberBefore(const std::string& strText, const std::string& strAfter) {
  const size_t nAt = strText.find(strAfter);
  if (nAt == std::string::npos) return 0;
  size_t nStart = nAt;
  while (nStart > 0 && std::isdigit(static_cast<unsigned char>(strText[nStart - 1]))) --nStart;
  return std::strtoull(strText.c_str() + nStart, nullptr, 10);
}

}  // namespace

TEST(TobrelSendQueue, ASlowLineThatNobodyReadsHoldsNoSendAndDeliversInOrderLater) {
  CTempDir dir;
  CPseudoTerminal pty;
  pty.MapPort(5, dir.File("com5"));
  ASSERT_EQ(Open_Com(5, 2400, 8, 0, 0), TOBREL_OK);

  // Far more than the kernel holds, at a rate the line would need minutes for.
  constexpr size_t kBlock = 1023;
  constexpr size_t kBlocks = 200;
  for (size_t i = 0; i < kBlocks; ++i) {
    const uint32_t nResult = TimedSend(5, Pattern(kBlock, i * kBlock));
    ASSERT_EQ(nResult, TOBREL_OK) << MessageOf(nResult);
  }
  EXPECT_EQ(MessageOf(TOBREL_OK), "COM5: 1023 bytes are on their way to " + dir.File("com5") + ".");

  // The device starts reading: every byte, in order.
  EXPECT_TRUE(pty.Read(kBlock * kBlocks, 20000) == Pattern(kBlock * kBlocks));
  const uint8_t abyOne[] = {'x'};
  EXPECT_EQ(Send_Binary(5, abyOne, 1, 0), TOBREL_OK);
  EXPECT_EQ(MessageOf(TOBREL_OK), "COM5: 1 byte is on its way to " + dir.File("com5") + ".");
  EXPECT_EQ(pty.Read(1), std::vector<uint8_t>{'x'});
  EXPECT_EQ(Close_Com(5), TOBREL_OK);
}

TEST(TobrelSendQueue, AStalledDeviceIsToldAndAFullQueueAnswersAtOnce) {
  CTempDir dir;
  CPseudoTerminal pty;
  pty.MapPort(6, dir.File("com6"));
  ASSERT_EQ(Open_Com(6, 2400, 8, 0, 0), TOBREL_OK);

  // Too big for the queue at all, then too big for what is left of it.
  EXPECT_EQ(TimedSend(6, Pattern(2 << 20)), TOBREL_ERR_SEND_QUEUE_FULL);
  EXPECT_NE(MessageOf(TOBREL_ERR_SEND_QUEUE_FULL).find("larger than the output queue"), std::string::npos);
  const std::vector<uint8_t> vecHalf = Pattern(600 * 1024);
  ASSERT_EQ(TimedSend(6, vecHalf), TOBREL_OK);
  EXPECT_EQ(TimedSend(6, vecHalf), TOBREL_ERR_SEND_QUEUE_FULL);
  const std::string strFull = MessageOf(TOBREL_ERR_SEND_QUEUE_FULL);
  EXPECT_NE(strFull.find("COM6: the 614400 bytes were not sent: the output queue holds "), std::string::npos)
      << strFull;
  EXPECT_EQ(DataSizeInCom(6), 0u);

  // Nothing moves for over a second: the next send, the size query and the read tell it,
  // the read once.
  std::this_thread::sleep_for(std::chrono::milliseconds(1300));
  EXPECT_EQ(TimedSend(6, Pattern(10)), TOBREL_ERR_SEND_STALLED);
  const std::string strStalled = MessageOf(TOBREL_ERR_SEND_STALLED);
  EXPECT_NE(strStalled.find(" to go out: " + dir.File("com6") + " takes no data."), std::string::npos) << strStalled;
  const uint64_t nWaiting = NumberBefore(strStalled, " bytes have waited ");
  EXPECT_GT(nWaiting, 500000u);
  EXPECT_LE(nWaiting, vecHalf.size());
  EXPECT_GE(std::strtod(strStalled.c_str() + strStalled.find("waited ") + 7, nullptr), 1.0) << strStalled;
  // The size query says there is news but leaves the message of the latest call.
  EXPECT_EQ(Open_Com(6, 2400, 9, 0, 0), TOBREL_ERR_DATA_BITS);
  const std::string strRefused = MessageOf(TOBREL_ERR_DATA_BITS);
  EXPECT_EQ(DataSizeInCom(6), 1u);
  EXPECT_EQ(MessageOf(TOBREL_ERR_DATA_BITS), strRefused);
  uint8_t abyBuffer[1024];
  uint32_t nElapsed = 0;
  EXPECT_EQ(Receive_Binary(6, abyBuffer, 100, 1, &nElapsed), TOBREL_ERR_SEND_STALLED);
  EXPECT_LT(nElapsed, 50u);
  EXPECT_EQ(DataSizeInCom(6), 0u);

  // The device reads again: the queue moves and sends are taken.
  EXPECT_TRUE(pty.Read(vecHalf.size(), 20000) == vecHalf);
  EXPECT_EQ(TimedSend(6, Pattern(10)), TOBREL_OK);
  EXPECT_EQ(pty.Read(10), Pattern(10));
  EXPECT_EQ(Close_Com(6), TOBREL_OK);
}

TEST(TobrelSendQueue, CloseDrainsForASecondThenDropsAndCounts) {
  CTempDir dir;
  CPseudoTerminal pty;
  pty.MapPort(7, dir.File("com7"));
  ASSERT_EQ(Open_Com(7, 2400, 8, 0, 0), TOBREL_OK);

  // A device that reads after a while: the close waits for it and all arrives.
  const std::vector<uint8_t> vecSmall = Pattern(100000);
  ASSERT_EQ(TimedSend(7, vecSmall), TOBREL_OK);
  std::vector<uint8_t> vecRead;
  std::thread device([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    vecRead = pty.Read(vecSmall.size(), 5000);
  });
  EXPECT_EQ(Close_Com(7), TOBREL_OK);
  device.join();
  EXPECT_TRUE(vecRead == vecSmall);

  // A device that reads nothing: after a second the rest is dropped and counted.
  ASSERT_EQ(Open_Com(7, 2400, 8, 0, 0), TOBREL_OK);
  const std::vector<uint8_t> vecBig = Pattern(300000);
  ASSERT_EQ(TimedSend(7, vecBig), TOBREL_OK);
  const auto start = Clock::now();
  EXPECT_EQ(Close_Com(7), TOBREL_ERR_SEND_DROPPED);
  const auto took = Clock::now() - start;
  EXPECT_GE(took, std::chrono::milliseconds(950));
  EXPECT_LT(took, std::chrono::milliseconds(1500));
  const std::string strDropped = MessageOf(TOBREL_ERR_SEND_DROPPED);
  EXPECT_NE(strDropped.find("COM7 is closed (" + dir.File("com7") + "); "), std::string::npos) << strDropped;
  const uint64_t nDropped = NumberBefore(strDropped, " queued bytes could not go out within 1 s and were dropped.");
  // What the device still finds is exactly what was not dropped.
  const std::vector<uint8_t> vecArrived = pty.Read(vecBig.size(), 500);
  EXPECT_EQ(vecArrived.size() + nDropped, vecBig.size()) << strDropped;
  EXPECT_TRUE(std::equal(vecArrived.begin(), vecArrived.end(), vecBig.begin()));
}
