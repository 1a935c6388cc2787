// Bytes both ways over a pseudo-terminal, the receive buffer, and a device that goes away.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <numeric>
#include <string>
#include <thread>

#include "PseudoTerminal.h"
#include "RingBuffer.h"
#include "Tobrel.h"
#include "TobrelQueries.h"
#include "TobrelResults.h"

using namespace tobrel;

namespace {

std::vector<uint8_t> Pattern(size_t nCount) {
  std::vector<uint8_t> vecData(nCount);
  for (size_t i = 0; i < nCount; ++i) vecData[i] = static_cast<uint8_t>((i * 7 + i / 256) & 0xFF);
  return vecData;
}

// Reads nCount bytes in the terminal's way: at most 1023 per call.
std::vector<uint8_t> ReceiveAll(uint8_t nPort, size_t nCount) {
  std::vector<uint8_t> vecData;
  vecData.reserve(nCount);
  uint8_t abyBlock[1024];
  uint32_t nElapsed = 0;
  while (vecData.size() < nCount) {
    const auto nBlock = static_cast<uint16_t>(std::min<size_t>(1023, nCount - vecData.size()));
    if (Receive_Binary(nPort, abyBlock, 2000, nBlock, &nElapsed) != TOBREL_OK) break;
    vecData.insert(vecData.end(), abyBlock, abyBlock + nBlock);
  }
  return vecData;
}

// A pseudo-terminal the test plays the device on, behind a COM number.
class CTransferTest : public ::testing::Test {
 protected:
  // Puts the pseudo-terminal behind COMn and opens it at nBaud, 8 data bits, no parity, one stop bit.
  uint32_t Open(uint8_t nPort, uint32_t nBaud) {
    m_pty.MapPort(nPort, m_dir.File("com" + std::to_string(nPort)));
    return Open_Com(nPort, nBaud, 8, 0, 0);
  }

  CTempDir m_dir;
  CPseudoTerminal m_pty;
};

}  // namespace

TEST_F(CTransferTest, EveryByteValueBothWays) {
  ASSERT_EQ(Open(1, 115200), TOBREL_OK);

  std::vector<uint8_t> vecAll(256);
  std::iota(vecAll.begin(), vecAll.end(), 0);
  ASSERT_EQ(Send_Binary(1, vecAll.data(), 256, 0), TOBREL_OK);
  EXPECT_EQ(m_pty.Read(256), vecAll);
  EXPECT_EQ(Send_Binary(1, nullptr, 0, 0), TOBREL_OK);
  EXPECT_EQ(Send_Binary(1, nullptr, 5, 0), TOBREL_ERR_NO_BUFFER);

  ASSERT_TRUE(m_pty.Write(vecAll.data(), 256));
  ASSERT_TRUE(WaitForSize(1, 256));
  EXPECT_EQ(DataSizeInCom(1), 256u);
  uint8_t abyBuffer[1024] = {};
  uint32_t nElapsed = 99999;
  ASSERT_EQ(Receive_Binary(1, abyBuffer, 100, 256, &nElapsed), TOBREL_OK);
  EXPECT_EQ(std::vector<uint8_t>(abyBuffer, abyBuffer + 256), vecAll);
  EXPECT_EQ(abyBuffer[256], 0);
  EXPECT_LT(nElapsed, 99999u);
  EXPECT_EQ(DataSizeInCom(1), 0u);
  EXPECT_EQ(Close_Com(1), TOBREL_OK);
}

TEST_F(CTransferTest, MegabyteArrivesWhileNobodyReads) {
  ASSERT_EQ(Open(2, 921600), TOBREL_OK);

  // The kernel holds only a few KiB; the whole megabyte gets through only because the
  // library's reader keeps taking it while this thread does not read.
  const std::vector<uint8_t> vecSent = Pattern(1 << 20);
  ASSERT_TRUE(m_pty.Write(vecSent.data(), vecSent.size()));
  ASSERT_TRUE(WaitForSize(2, 1 << 20));
  EXPECT_EQ(DataSizeInCom(2), uint32_t{1 << 20});
  EXPECT_TRUE(ReceiveAll(2, vecSent.size()) == vecSent);
  EXPECT_EQ(DataSizeInCom(2), 0u);
  EXPECT_EQ(Close_Com(2), TOBREL_OK);
}

TEST_F(CTransferTest, TimeoutsLeaveBytesBufferedAndFullBufferCountsLoss) {
  ASSERT_EQ(Open(3, 100000000), TOBREL_OK);

  ASSERT_TRUE(m_pty.Write("abc"));
  ASSERT_TRUE(WaitForSize(3, 3));
  uint8_t abyBuffer[1024] = {};
  uint32_t nElapsed = 0;
  EXPECT_EQ(Receive_Binary(3, abyBuffer, 50, 10, &nElapsed), TOBREL_ERR_RECEIVE_TIMEOUT);
  EXPECT_EQ(abyBuffer[0], 0);
  EXPECT_GE(nElapsed, 50u);
  EXPECT_NE(MessageOf(TOBREL_ERR_RECEIVE_TIMEOUT).find("10 bytes asked for, 3 arrived within 50 ms"),
            std::string::npos);
  EXPECT_EQ(DataSizeInCom(3), 3u);
  ASSERT_TRUE(m_pty.Write("d"));
  ASSERT_EQ(Receive_Binary(3, abyBuffer, 1000, 4, &nElapsed), TOBREL_OK);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(abyBuffer), 4), "abcd");
  EXPECT_EQ(Receive_Binary(3, abyBuffer, 0, 0, nullptr), TOBREL_OK);

  // Fill the buffer and a bit more: the newest bytes are dropped and told once.
  const std::vector<uint8_t> vecSent = Pattern(CRingBuffer::kCapacity + 5000);
  ASSERT_TRUE(m_pty.Write(vecSent.data(), vecSent.size(), 30000));
  ASSERT_TRUE(WaitForSize(3, CRingBuffer::kCapacity));
  // The reader may still be on its way to the last bytes: wait until all 5000 are counted.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (LostBytesInCom(3) < 5000 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_EQ(LostBytesInCom(3), 5000u);
  // Told once, before the next delivery, with the count.
  EXPECT_EQ(Receive_Binary(3, abyBuffer, 0, 0, &nElapsed), TOBREL_ERR_OVERFLOW);
  EXPECT_NE(MessageOf(TOBREL_ERR_OVERFLOW).find("COM3: 5000 received bytes were lost from "), std::string::npos)
      << MessageOf(TOBREL_ERR_OVERFLOW);
  EXPECT_EQ(Receive_Binary(3, abyBuffer, 0, 0, &nElapsed), TOBREL_OK);
  EXPECT_EQ(DataSizeInCom(3), CRingBuffer::kCapacity);
  ASSERT_EQ(Receive_Binary(3, abyBuffer, 100, 1000, &nElapsed), TOBREL_OK);
  EXPECT_TRUE(std::equal(abyBuffer, abyBuffer + 1000, vecSent.begin()));
  EXPECT_EQ(DataSizeInCom(3), CRingBuffer::kCapacity - 1000);
  EXPECT_EQ(Close_Com(3), TOBREL_OK);
}

TEST_F(CTransferTest, DeviceGoneMidStreamAndBackAgain) {
  const std::string strLink = m_dir.File("com7");
  auto pPty = std::make_unique<CPseudoTerminal>();
  pPty->MapPort(7, strLink);
  ASSERT_EQ(Open_Com(7, 115200, 8, 0, 0), TOBREL_OK);

  const std::vector<uint8_t> vecSent = Pattern(200000);
  ASSERT_TRUE(pPty->Write(vecSent.data(), 100000));
  ASSERT_TRUE(WaitForSize(7, 100000));
  // Pulled out while more is on its way: what was still in the kernel goes with the device,
  // what the library took stays readable.
  ASSERT_TRUE(pPty->Write(vecSent.data() + 100000, 100000));
  pPty->CloseMaster();

  const uint8_t abyHello[] = "hello";
  EXPECT_EQ(Send_Binary(7, abyHello, 5, 0), TOBREL_ERR_DISCONNECTED);
  // One wording wherever the device's going is met, with what was under way when it matters.
  const std::string strGone = "COM7: " + strLink + " has disconnected";
  const std::string strAdvice = ". Everything received before is kept. Plug it in and press Open Com.";
  EXPECT_EQ(MessageOf(TOBREL_ERR_DISCONNECTED), strGone + strAdvice);
  // Whole blocks while they last; the reader's end makes the last short one answer at once.
  std::vector<uint8_t> vecReceived;
  uint8_t abyBlock[1024];
  uint32_t nElapsed = 0;
  uint16_t nResult = TOBREL_OK;
  while ((nResult = Receive_Binary(7, abyBlock, 10000, 1023, &nElapsed)) == TOBREL_OK)
    vecReceived.insert(vecReceived.end(), abyBlock, abyBlock + 1023);
  EXPECT_EQ(nResult, TOBREL_ERR_DISCONNECTED);
  EXPECT_TRUE(MessageOf(TOBREL_ERR_DISCONNECTED).starts_with(strGone + " ("));
  EXPECT_TRUE(MessageOf(TOBREL_ERR_DISCONNECTED).ends_with(" of the 1023 bytes asked for came)" + strAdvice));
  const uint32_t nRest = DataSizeInCom(7);
  ASSERT_LT(nRest, 1023u);
  ASSERT_EQ(Receive_Binary(7, abyBlock, 100, static_cast<uint16_t>(nRest), &nElapsed), TOBREL_OK);
  vecReceived.insert(vecReceived.end(), abyBlock, abyBlock + nRest);
  EXPECT_GE(vecReceived.size(), 100000u);
  EXPECT_TRUE(std::equal(vecReceived.begin(), vecReceived.end(), vecSent.begin()));
  uint8_t abyBuffer[16];
  EXPECT_EQ(Receive_Binary(7, abyBuffer, 10000, 1, &nElapsed), TOBREL_ERR_DISCONNECTED);
  EXPECT_LT(nElapsed, 10000u);
  char szReply[TOBREL_REPLY_SIZE];
  EXPECT_EQ(Receive_Cmd(7, szReply, 10000, 0, &nElapsed), TOBREL_ERR_DISCONNECTED);
  EXPECT_EQ(MessageOf(TOBREL_ERR_DISCONNECTED), strGone + " before the reply ended" + strAdvice);
  EXPECT_EQ(Send_Cmd(7, "$00M", 0, 0), TOBREL_ERR_DISCONNECTED);

  // Gone for good: the link points nowhere. (The freed pseudo-terminal's number may already
  // be another test's, so the link is pointed at a path that stays missing.)
  std::filesystem::remove(strLink);
  std::filesystem::create_symlink(m_dir.File("pulled-out"), strLink);
  EXPECT_EQ(Open_Com(7, 115200, 8, 0, 0), TOBREL_ERR_NO_DEVICE);
  EXPECT_EQ(DataSizeInCom(7), 0u);

  // Plugged in again, at the same path; opened without a Close_Com in between.
  pPty = std::make_unique<CPseudoTerminal>();
  pPty->MapPort(7, strLink);
  ASSERT_EQ(Open_Com(7, 115200, 8, 0, 0), TOBREL_OK);
  ASSERT_EQ(Send_Binary(7, abyHello, 5, 0), TOBREL_OK);
  EXPECT_EQ(pPty->Read(5), std::vector<uint8_t>(abyHello, abyHello + 5));
  ASSERT_TRUE(pPty->Write("back"));
  ASSERT_EQ(Receive_Binary(7, abyBuffer, 2000, 4, &nElapsed), TOBREL_OK);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(abyBuffer), 4), "back");

  // Gone again and reopened while the old device is still open in the library.
  pPty->CloseMaster();
  pPty = std::make_unique<CPseudoTerminal>();
  pPty->MapPort(7, strLink);
  EXPECT_EQ(Send_Binary(7, abyHello, 5, 0), TOBREL_ERR_DISCONNECTED);
  ASSERT_EQ(Open_Com(7, 115200, 8, 0, 0), TOBREL_OK);
  ASSERT_EQ(Send_Binary(7, abyHello, 5, 0), TOBREL_OK);
  EXPECT_EQ(pPty->Read(5).size(), 5u);
  EXPECT_EQ(Close_Com(7), TOBREL_OK);
}

TEST_F(CTransferTest, CommandsWithChecksumsAndTimeouts) {
  ASSERT_EQ(Open(8, 115200), TOBREL_OK);

  ASSERT_EQ(Send_Cmd(8, "$00M", 0, 0), TOBREL_OK);
  EXPECT_EQ(m_pty.Read(5), (std::vector<uint8_t>{'$', '0', '0', 'M', '\r'}));
  ASSERT_EQ(Send_Cmd(8, "$00M", 1, 0), TOBREL_OK);
  EXPECT_EQ(m_pty.Read(7), (std::vector<uint8_t>{'$', '0', '0', 'M', 'D', '1', '\r'}));

  char szReply[TOBREL_REPLY_SIZE];
  uint32_t nElapsed = 0;
  ASSERT_TRUE(m_pty.Write("!0182\r!0100\r"));
  EXPECT_EQ(Receive_Cmd(8, szReply, 2000, 1, &nElapsed), TOBREL_OK);
  EXPECT_STREQ(szReply, "!01");
  EXPECT_EQ(Receive_Cmd(8, szReply, 2000, 1, &nElapsed), TOBREL_ERR_CHECKSUM);
  EXPECT_STREQ(szReply, "!0100");

  // No CR in time: what came is handed over, and the timeout told.
  ASSERT_TRUE(m_pty.Write("abc"));
  ASSERT_TRUE(WaitForSize(8, 3));
  EXPECT_EQ(Receive_Cmd(8, szReply, 100, 0, &nElapsed), TOBREL_ERR_REPLY_TIMEOUT);
  EXPECT_STREQ(szReply, "abc");
  EXPECT_GE(nElapsed, 100u);
  EXPECT_EQ(DataSizeInCom(8), 0u);

  // The reply arrives while Receive_Cmd waits.
  std::thread device([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    m_pty.Write(">\r");
  });
  EXPECT_EQ(Receive_Cmd(8, szReply, 5000, 0, &nElapsed), TOBREL_OK);
  device.join();
  EXPECT_STREQ(szReply, ">");
  EXPECT_EQ(Send_Cmd(8, nullptr, 0, 0), TOBREL_ERR_NO_BUFFER);
  EXPECT_EQ(Close_Com(8), TOBREL_OK);
}
