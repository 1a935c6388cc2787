// Ports on other machines: a real ser2net on the loopback address in front of a pseudo-terminal
// that the test plays the device on.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include "PseudoTerminal.h"
#include "Ser2netServer.h"
#include "Tobrel.h"
#include "TobrelCapture.h"
#include "TobrelQueries.h"
#include "TobrelResults.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint8_t kPort = 5;

std::vector<uint8_t> ReceiveAll(uint8_t nPort, size_t nCount) {
  std::vector<uint8_t> vecData;
  uint8_t abyBlock[1024];
  uint32_t nElapsed = 0;
  while (vecData.size() < nCount) {
    const auto nBlock = static_cast<uint16_t>(std::min<size_t>(1023, nCount - vecData.size()));
    if (Receive_Binary(nPort, abyBlock, 5000, nBlock, &nElapsed) != TOBREL_OK) break;
    vecData.insert(vecData.end(), abyBlock, abyBlock + nBlock);
  }
  return vecData;
}

// Every byte value, several times over, in an order that repeats no block.
std::vector<uint8_t> AllValues(size_t nRounds) {
  std::vector<uint8_t> vecData(256 * nRounds);
  for (size_t i = 0; i < vecData.size(); ++i) vecData[i] = static_cast<uint8_t>(i + i / 256);
  return vecData;
}

// The settings ser2net gave the device, as the device side reads them.
termios DeviceSettings(const std::string& strSlave) {
  termios tio{};
  const int nFd = open(strSlave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  tcgetattr(nFd, &tio);
  close(nFd);
  return tio;
}

// Bytes the test's device side must hear and say, and the port's message as text.
class CNetworkPortTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(m_server.Start()) << "ser2net did not start (is the package installed?)"; }
  void TearDown() override { Close_Com(kPort); }

  uint32_t Open(uint32_t nBaud, int8_t nDataBits, int8_t nParity, int8_t nStopBits) {
    MapPortTo(kPort, m_server.Url());
    return Open_Com(kPort, nBaud, nDataBits, nParity, nStopBits);
  }

  CPseudoTerminal m_pty;
  CSer2net m_server{m_pty.Slave()};
};

}  // namespace

TEST_F(CNetworkPortTest, TheDialogsSettingsArriveAtTheDeviceAndTheMessageSaysWhatTheServerAnswered) {
  ASSERT_EQ(Open(19200, 7, 2, 2), TOBREL_OK);
  const std::string strOpened = MessageOf(TOBREL_OK);
  EXPECT_EQ(strOpened,
            "COM5 is open: " + m_server.Url() + " (ser2net), 19200 baud, 7 data bits, even parity, 2 stop bits");
  // A pseudo-terminal keeps 8 data bits and no parity whatever it is told; the speed, the stop
  // bits and the flow control show.
  termios tio = DeviceSettings(m_pty.Slave());
  EXPECT_EQ(cfgetospeed(&tio), B19200);
  EXPECT_EQ(tio.c_cflag & (CSTOPB | CRTSCTS), tcflag_t{CSTOPB});

  // Opening again sends the new settings.
  ASSERT_EQ(Open(115200, 8, 1, 0), TOBREL_OK);
  EXPECT_EQ(MessageOf(TOBREL_OK),
            "COM5 is open: " + m_server.Url() + " (ser2net), 115200 baud, 8 data bits, odd parity, 1 stop bit");
  tio = DeviceSettings(m_pty.Slave());
  EXPECT_EQ(cfgetospeed(&tio), B115200);
  EXPECT_EQ(tio.c_cflag & (CSTOPB | CRTSCTS), 0u);
  EXPECT_EQ(Close_Com(kPort), TOBREL_OK);
  EXPECT_EQ(MessageOf(TOBREL_OK), "COM5 is closed (" + m_server.Url() + ")");
}

TEST_F(CNetworkPortTest, EveryByteValueGoesBothWaysInOrderTelnetsEscapeIncluded) {
  ASSERT_EQ(Open(115200, 8, 0, 0), TOBREL_OK);
  const std::vector<uint8_t> vecAll = AllValues(64);
  ASSERT_EQ(Send_Binary(kPort, vecAll.data(), static_cast<uint32_t>(vecAll.size()), 0), TOBREL_OK);
  EXPECT_EQ(m_pty.Read(vecAll.size()), vecAll);

  ASSERT_TRUE(m_pty.Write(vecAll.data(), vecAll.size()));
  ASSERT_TRUE(WaitForSize(kPort, static_cast<uint32_t>(vecAll.size())));
  EXPECT_EQ(ReceiveAll(kPort, vecAll.size()), vecAll);
  EXPECT_EQ(LostBytesInCom(kPort), 0u);
}

TEST_F(CNetworkPortTest, AServerThatStopsIsToldOnceThenThePollIsQuietAndOpenComConnectsAgainWhenItIsBack) {
  ASSERT_EQ(Open(9600, 8, 0, 0), TOBREL_OK);
  // The device streams digits in order; the server stops in the middle of it.
  std::atomic<bool> bStop = false;
  std::thread device([&] {
    for (size_t i = 0; !bStop; ++i) {
      const char cDigit = static_cast<char>('0' + i % 10);
      m_pty.Write(&cDigit, 1, 100);
      if (i % 64 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  ASSERT_TRUE(WaitForSize(kPort, 1000));
  m_server.Stop();
  bStop = true;
  device.join();

  // Everything that came is delivered in order, then the end is told once.
  uint8_t abyBuffer[16];
  uint32_t nElapsed = 0;
  uint32_t nResult = TOBREL_OK;
  size_t nReceived = 0;
  const auto deadline = Clock::now() + std::chrono::seconds(10);
  while (nResult == TOBREL_OK && Clock::now() < deadline) {
    if (DataSizeInCom(kPort) == 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      continue;
    }
    nResult = Receive_Binary(kPort, abyBuffer, 100, 1, &nElapsed);
    if (nResult == TOBREL_OK) {
      EXPECT_EQ(abyBuffer[0], '0' + nReceived++ % 10);
    }
  }
  EXPECT_GE(nReceived, 1000u);
  EXPECT_EQ(nResult, TOBREL_ERR_DISCONNECTED);
  EXPECT_EQ(MessageOf(TOBREL_ERR_DISCONNECTED),
            "COM5: the connection to 127.0.0.1:" + std::to_string(m_server.Port()) +
                " was closed: the server ended it. Everything received before is kept; press Open Com to connect "
                "again.");
  EXPECT_EQ(DataSizeInCom(kPort), 0u);
  const uint8_t byOne = 'x';
  EXPECT_EQ(Send_Binary(kPort, &byOne, 1, 0), TOBREL_ERR_DISCONNECTED);

  const auto start = Clock::now();
  EXPECT_EQ(Open(9600, 8, 0, 0), TOBREL_ERR_OPEN_COM);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
  EXPECT_EQ(MessageOf(TOBREL_ERR_OPEN_COM), "COM5: could not reach 127.0.0.1:" + std::to_string(m_server.Port()) +
                                                ": Connection refused. Check that the server runs and shares the "
                                                "port there, then press Open Com again.");

  ASSERT_TRUE(m_server.Start());
  ASSERT_EQ(Open(9600, 8, 0, 0), TOBREL_OK);
  ASSERT_EQ(Send_Binary(kPort, &byOne, 1, 0), TOBREL_OK);
  // Digits the device wrote while no server had the pseudo-terminal open may come back first,
  // echoed by its line discipline before the new server set it raw.
  std::vector<uint8_t> vecHeard;
  do {
    const std::vector<uint8_t> vecByte = m_pty.Read(1, 2000);
    if (vecByte.empty()) break;
    vecHeard.push_back(vecByte[0]);
  } while (vecHeard.back() >= '0' && vecHeard.back() <= '9');
  ASSERT_FALSE(vecHeard.empty());
  EXPECT_EQ(vecHeard.back(), 'x');
}

TEST(NetworkPort, ATargetThatAnswersNothingOrIsWrittenWrongIsToldWithinTheBound) {
  const auto tryOpen = [](const std::string& strTarget) {
    MapPortTo(kPort, strTarget);
    const auto start = Clock::now();
    const uint32_t nResult = Open_Com(kPort, 9600, 8, 0, 0);
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(3500)) << strTarget;
    return nResult;
  };
  // 192.0.2.1 is reserved for documentation: nothing answers there.
  EXPECT_EQ(tryOpen("rfc2217://192.0.2.1:3001"), TOBREL_ERR_OPEN_COM);
  EXPECT_NE(MessageOf(TOBREL_ERR_OPEN_COM).find("COM5: could not reach 192.0.2.1:3001: "), std::string::npos);
  EXPECT_EQ(tryOpen("rfc2217://no-such-host.invalid:3001"), TOBREL_ERR_OPEN_COM);
  EXPECT_EQ(tryOpen("tcp://[::1]:" + std::to_string(FreeTcpPort())), TOBREL_ERR_OPEN_COM);
  EXPECT_NE(MessageOf(TOBREL_ERR_OPEN_COM).find("could not reach [::1]:"), std::string::npos);
  EXPECT_EQ(tryOpen("rfc2217://lab-pi"), TOBREL_ERR_NO_DEVICE);
  EXPECT_EQ(MessageOf(TOBREL_ERR_NO_DEVICE),
            "COM5: rfc2217://lab-pi is no network port: no port after the host. Write rfc2217://HOST:PORT or "
            "tcp://HOST:PORT in QUORVEL_COM5.");
}

TEST(NetworkPort, RawTcpCarriesTheBytesAsTheyAreAndTheCaptureNamesTheTarget) {
  CTempDir dir;
  CPseudoTerminal pty;
  CSer2net server(pty.Slave(), CSer2net::EAccepter::RawTcp);
  ASSERT_TRUE(server.Start());
  ASSERT_EQ(StartCapture(dir.File("wire.log"), ECaptureForm::Text), TOBREL_OK);
  MapPortTo(kPort, server.Url() + ",flow=rtscts");
  ASSERT_EQ(Open_Com(kPort, 115200, 8, 0, 0), TOBREL_OK);
  EXPECT_EQ(MessageOf(TOBREL_OK),
            "COM5 is open: " + server.Url() +
                ", raw TCP: the dialog's settings were not sent, the server's own apply; nor were flow=rtscts");
  const std::vector<uint8_t> vecAll = AllValues(4);
  ASSERT_EQ(Send_Binary(kPort, vecAll.data(), static_cast<uint32_t>(vecAll.size()), 0), TOBREL_OK);
  EXPECT_EQ(pty.Read(vecAll.size()), vecAll);
  ASSERT_TRUE(pty.Write(vecAll.data(), vecAll.size()));
  EXPECT_EQ(ReceiveAll(kPort, vecAll.size()), vecAll);
  ASSERT_EQ(Close_Com(kPort), TOBREL_OK);
  StopCapture();
  const std::string strCapture = ReadFile(dir.File("wire.log"));
  EXPECT_NE(strCapture.find("COM5 ! opened " + server.Url() + ", raw TCP"), std::string::npos) << strCapture;
  EXPECT_NE(strCapture.find("COM5 ! closed"), std::string::npos) << strCapture;
}

TEST_F(CNetworkPortTest, ADeviceThatTakesNothingIsToldAsAStalledSendAndByThePollOnce) {
  ASSERT_EQ(Open(115200, 8, 0, 0), TOBREL_OK);
  // Nobody reads the device side: the pseudo-terminal, ser2net and the connection fill up.
  const std::vector<uint8_t> vecBlock(64 * 1024, 'a');
  uint32_t nResult = TOBREL_OK;
  const auto deadline = Clock::now() + std::chrono::seconds(30);
  while (Clock::now() < deadline) {
    nResult = Send_Binary(kPort, vecBlock.data(), static_cast<uint32_t>(vecBlock.size()), 0);
    if (nResult == TOBREL_ERR_SEND_STALLED) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(nResult == TOBREL_OK ? 1 : 100));
  }
  ASSERT_EQ(nResult, TOBREL_ERR_SEND_STALLED);
  EXPECT_NE(MessageOf(TOBREL_ERR_SEND_STALLED).find(" to go out: " + m_server.Url() + " takes no data."),
            std::string::npos)
      << MessageOf(TOBREL_ERR_SEND_STALLED);
  uint8_t abyBuffer[4];
  uint32_t nElapsed = 0;
  EXPECT_EQ(Receive_Binary(kPort, abyBuffer, 0, 1, &nElapsed), TOBREL_ERR_SEND_STALLED);
  EXPECT_EQ(Receive_Binary(kPort, abyBuffer, 0, 1, &nElapsed), TOBREL_ERR_RECEIVE_TIMEOUT);
}
