// The capture file, read back as a person's tools would: every byte both ways, lines per
// read, per LF and per tenth of a second, the events, appending, the file's mode, a file
// that fails and recovers, a file moved or removed, the raw form, and a query before the
// answer it draws.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <numeric>
#include <thread>

#include "CaptureReader.h"
#include "PseudoTerminal.h"
#include "RingBuffer.h"
#include "Tobrel.h"
#include "TobrelCapture.h"
#include "TobrelResults.h"

using namespace tobrel;

namespace {

using Clock = std::chrono::steady_clock;

bool WaitForSize(uint8_t nPort, uint32_t nSize) {
  const auto deadline = Clock::now() + std::chrono::seconds(20);
  while (DataSizeInCom(nPort) < nSize) {
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

std::vector<uint8_t> Bytes(std::string_view text) { return std::vector<uint8_t>(text.begin(), text.end()); }

std::string Text(const std::vector<uint8_t>& vecBytes) { return std::string(vecBytes.begin(), vecBytes.end()); }

std::vector<SCaptureLine> ReadBack(const std::string& strPath) {
  std::vector<SCaptureLine> vecLines;
  std::string strError;
  EXPECT_TRUE(ReadCaptureFile(strPath, vecLines, strError)) << strError;
  return vecLines;
}

// The '<' lines of a port, and all their bytes one after the other.
std::vector<SCaptureLine> Received(const std::vector<SCaptureLine>& vecLines, const std::string& strPort,
                                   std::vector<uint8_t>& vecAll) {
  std::vector<SCaptureLine> vecReceived;
  for (const SCaptureLine& line : vecLines) {
    if (line.strPort != strPort || line.cDirection != '<') continue;
    vecReceived.push_back(line);
    vecAll.insert(vecAll.end(), line.vecBytes.begin(), line.vecBytes.end());
  }
  return vecReceived;
}

std::vector<std::string> Events(const std::vector<SCaptureLine>& vecLines, const std::string& strPort) {
  std::vector<std::string> vecEvents;
  for (const SCaptureLine& line : vecLines)
    if (line.strPort == strPort && line.cDirection == '!') vecEvents.push_back(Text(line.vecBytes));
  return vecEvents;
}

// "2026-12-09T03:04:05.678+01:00" to 3:04:05.678 in milliseconds.
int64_t MillisecondOfDay(const std::string& strTime) {
  const auto field = [&](size_t nAt, size_t nLength) { return std::stoll(strTime.substr(nAt, nLength)); };
  return ((field(11, 2) * 60 + field(14, 2)) * 60 + field(17, 2)) * 1000 + field(20, 3);
}

// Starts capturing to strPath, then opens nPort on pty, mapped at strLink, at nBaud 8N1.
void CaptureAndOpen(const std::string& strPath, ECaptureForm form, const CPseudoTerminal& pty,
                    const std::string& strLink, uint8_t nPort, uint32_t nBaud) {
  ASSERT_EQ(StartCapture(strPath, form), TOBREL_OK);
  pty.MapPort(nPort, strLink);
  ASSERT_EQ(Open_Com(nPort, nBaud, 8, 0, 0), TOBREL_OK);
}

}  // namespace

TEST(TobrelCapture, EveryByteBothWaysLinesPerReadAndLineFeedEventsAndAppending) {
  CTempDir dir;
  const std::string strPath = dir.File("wire.log");
  CPseudoTerminal pty;
  const std::string strLink = dir.File("com3");
  ASSERT_NO_FATAL_FAILURE(CaptureAndOpen(strPath, ECaptureForm::Text, pty, strLink, 3, 115200));
  struct stat st {};
  ASSERT_EQ(stat(strPath.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  std::vector<uint8_t> vecAll(256);
  std::iota(vecAll.begin(), vecAll.end(), 0);
  ASSERT_EQ(Send_Binary(3, vecAll.data(), 256, 0), TOBREL_OK);
  EXPECT_EQ(pty.Read(256), vecAll);

  // What the device says, with CR and LF in separate reads, then every byte value.
  std::vector<uint8_t> vecSaid;
  const auto say = [&](const std::vector<uint8_t>& vecBytes) {
    ASSERT_TRUE(pty.Write(vecBytes.data(), vecBytes.size()));
    vecSaid.insert(vecSaid.end(), vecBytes.begin(), vecBytes.end());
    ASSERT_TRUE(WaitForSize(3, static_cast<uint32_t>(vecSaid.size())));
  };
  say(Bytes("OK\r"));
  say(Bytes("\nnext"));
  say(Bytes(" line\n"));
  say(vecAll);
  // A long stream without LF: a line at least every 100 ms of it.
  const auto streamStart = Clock::now();
  // The longest pause between two reads of the stream, as a loaded machine stretches it.
  auto longestPause = Clock::duration::zero();
  for (int i = 0; i < 25; ++i) {
    const auto sayStart = Clock::now();
    say(Bytes("zzzz"));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    longestPause = std::max(longestPause, Clock::now() - sayStart);
  }
  const auto streamTime = Clock::now() - streamStart;
  ASSERT_EQ(Close_Com(3), TOBREL_OK);

  // A device that goes away.
  CPseudoTerminal gone;
  gone.MapPort(4, dir.File("com4"));
  ASSERT_EQ(Open_Com(4, 9600, 7, 2, 2), TOBREL_OK);
  gone.CloseMaster();
  uint8_t abyBuffer[16];
  uint32_t nElapsed = 0;
  EXPECT_EQ(Receive_Binary(4, abyBuffer, 2000, 1, &nElapsed), TOBREL_ERR_DISCONNECTED);
  StopCapture();

  const std::vector<SCaptureLine> vecLines = ReadBack(strPath);
  std::vector<uint8_t> vecCaptured;
  const std::vector<SCaptureLine> vecReceived = Received(vecLines, "COM3", vecCaptured);
  EXPECT_TRUE(vecCaptured == vecSaid);
  EXPECT_EQ(Text(vecReceived.at(0).vecBytes), "OK\r\n");
  EXPECT_EQ(Text(vecReceived.at(1).vecBytes), "next line\n");
  // A stream line holds at most 100 ms of the stream: the next starts with the first read
  // after that.
  std::vector<int64_t> vecStreamStarts;
  for (const SCaptureLine& line : vecReceived) {
    const auto itLineFeed = std::find(line.vecBytes.begin(), line.vecBytes.end(), '\n');
    EXPECT_TRUE(itLineFeed == line.vecBytes.end() || itLineFeed + 1 == line.vecBytes.end()) << "LF inside a line";
    if (!line.vecBytes.empty() && line.vecBytes[0] == 'z') vecStreamStarts.push_back(MillisecondOfDay(line.strTime));
  }
  const auto nStreamMs = std::chrono::duration_cast<std::chrono::milliseconds>(streamTime).count();
  EXPECT_GE(vecStreamStarts.size(), 3u);
  EXPECT_LE(vecStreamStarts.size(), static_cast<size_t>(nStreamMs / 100 + 1));
  for (size_t i = 1; i < vecStreamStarts.size(); ++i) {
    constexpr int64_t kDay = 86400000;
    const int64_t nGap = (vecStreamStarts[i] - vecStreamStarts[i - 1] + kDay) % kDay;
    EXPECT_GE(nGap, 100);
    EXPECT_LE(nGap, 100 + std::chrono::duration_cast<std::chrono::milliseconds>(longestPause).count() + 50);
  }

  std::vector<SCaptureLine> vecSent;
  for (const SCaptureLine& line : vecLines)
    if (line.cDirection == '>') vecSent.push_back(line);
  ASSERT_EQ(vecSent.size(), 1u);
  EXPECT_EQ(vecSent[0].strPort, "COM3");
  EXPECT_TRUE(vecSent[0].vecBytes == vecAll);

  EXPECT_EQ(
      Events(vecLines, "COM3"),
      (std::vector<std::string>{"opened " + strLink + ", 115200 baud, 8 data bits, no parity, 1 stop bit", "closed"}));
  EXPECT_EQ(Events(vecLines, "COM4"),
            (std::vector<std::string>{
                "opened " + dir.File("com4") + ", 9600 baud, 7 data bits, even parity, 2 stop bits", "device gone"}));
  // The file itself is plain printable text with line breaks; the sent line shows each escape.
  const std::string strFile = ReadFile(strPath);
  EXPECT_TRUE(std::all_of(strFile.begin(), strFile.end(), [](char c) { return c == '\n' || (c >= 0x20 && c < 0x7F); }));
  EXPECT_NE(strFile.find(" COM3 > \\x00\\x01\\x02\\x03\\x04\\x05\\x06\\x07\\x08\\t\\n\\x0b\\x0c\\r\\x0e"),
            std::string::npos);
  EXPECT_NE(strFile.find("XYZ[\\\\]^_`abc"), std::string::npos);
  EXPECT_NE(strFile.find("}~\\x7f\\x80"), std::string::npos);
  EXPECT_NE(strFile.find("\\xfe\\xff\n"), std::string::npos);

  // A second run appends, and the file keeps its mode.
  ASSERT_EQ(chmod(strPath.c_str(), 0640), 0);
  CPseudoTerminal again;
  ASSERT_NO_FATAL_FAILURE(CaptureAndOpen(strPath, ECaptureForm::Text, again, strLink, 3, 115200));
  ASSERT_EQ(Close_Com(3), TOBREL_OK);
  StopCapture();
  const std::vector<SCaptureLine> vecBoth = ReadBack(strPath);
  ASSERT_EQ(vecBoth.size(), vecLines.size() + 2);
  EXPECT_TRUE(ReadFile(strPath).rfind(strFile, 0) == 0);
  ASSERT_EQ(stat(strPath.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(TobrelCapture, BytesTheReceiveBufferLosesAreStillInTheFile) {
  CTempDir dir;
  const std::string strPath = dir.File("flood.log");
  CPseudoTerminal pty;
  ASSERT_NO_FATAL_FAILURE(CaptureAndOpen(strPath, ECaptureForm::Text, pty, dir.File("com2"), 2, 921600));
  std::vector<uint8_t> vecFlood(CRingBuffer::kCapacity + 5000);
  for (size_t i = 0; i < vecFlood.size(); ++i) vecFlood[i] = static_cast<uint8_t>(i * 7 + i / 256);
  ASSERT_TRUE(pty.Write(vecFlood.data(), vecFlood.size(), 30000));
  ASSERT_TRUE(WaitForSize(2, CRingBuffer::kCapacity));
  // The reader takes the last bytes a moment after the buffer is full.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  ASSERT_EQ(Close_Com(2), TOBREL_OK);
  StopCapture();

  const std::vector<SCaptureLine> vecLines = ReadBack(strPath);
  std::vector<uint8_t> vecCaptured;
  Received(vecLines, "COM2", vecCaptured);
  EXPECT_TRUE(vecCaptured == vecFlood) << vecCaptured.size();
  uint64_t nLost = 0;
  for (const std::string& strEvent : Events(vecLines, "COM2"))
    if (strEvent.find(" bytes lost: the receive buffer was full") != std::string::npos) nLost += std::stoull(strEvent);
  EXPECT_EQ(nLost, 5000u);
}

TEST(TobrelCapture, AFailingFileIsToldOnceAndRecoversCountingWhatItMissed) {
  CTempDir dir;
  // The path leads to a full device first, then to a file on a disk with room.
  const std::string strPath = dir.File("capture.log");
  const std::string strReal = dir.File("real.log");
  std::filesystem::create_symlink("/dev/full", strPath);
  CPseudoTerminal pty;
  ASSERT_NO_FATAL_FAILURE(CaptureAndOpen(strPath, ECaptureForm::Text, pty, dir.File("com5"), 5, 115200));

  // The next read tells it, once, before the bytes; the port goes on working.
  ASSERT_TRUE(pty.Write("lost1"));
  const auto deadline = Clock::now() + std::chrono::seconds(5);
  uint8_t abyBuffer[1024] = {};
  uint32_t nElapsed = 0;
  uint16_t nResult = TOBREL_OK;
  while ((nResult = Receive_Binary(5, abyBuffer, 0, 0, &nElapsed)) == TOBREL_OK && Clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  ASSERT_EQ(nResult, TOBREL_ERR_CAPTURE);
  EXPECT_EQ(MessageOf(TOBREL_ERR_CAPTURE), "Capture to " + strPath +
                                               " failed: No space left on device. The terminal goes on; the file "
                                               "misses what passes until writing works again, then says how many "
                                               "bytes it missed.");
  ASSERT_TRUE(WaitForSize(5, 5));
  ASSERT_EQ(Receive_Binary(5, abyBuffer, 100, 5, &nElapsed), TOBREL_OK);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(abyBuffer), 5), "lost1");
  ASSERT_TRUE(pty.Write("lost2"));
  ASSERT_TRUE(WaitForSize(5, 5));
  // The capture writes at least once a second, and misses these too.
  std::this_thread::sleep_for(std::chrono::milliseconds(1300));
  EXPECT_EQ(DataSizeInCom(5), 5u);
  ASSERT_EQ(Receive_Binary(5, abyBuffer, 100, 5, &nElapsed), TOBREL_OK);

  // Room again: the file says what it missed, then goes on.
  std::filesystem::remove(strPath);
  std::filesystem::create_symlink(strReal, strPath);
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  ASSERT_TRUE(pty.Write("back\n"));
  ASSERT_TRUE(WaitForSize(5, 5));
  ASSERT_EQ(Close_Com(5), TOBREL_OK);
  StopCapture();
  const std::vector<SCaptureLine> vecLines = ReadBack(strReal);
  ASSERT_GE(vecLines.size(), 3u);
  EXPECT_EQ(vecLines[0].strPort, "-");
  EXPECT_EQ(Text(vecLines[0].vecBytes), "the file missed 10 bytes: No space left on device");
  EXPECT_EQ(Text(vecLines[1].vecBytes), "back\n");
  EXPECT_EQ(Events(vecLines, "COM5"), std::vector<std::string>{"closed"});
  struct stat st {};
  ASSERT_EQ(stat(strReal.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  // A file that cannot be opened at all is refused at the start, with the reason.
  EXPECT_EQ(StartCapture(dir.File("no-such-dir/x.log"), ECaptureForm::Text), TOBREL_ERR_CAPTURE);
  EXPECT_EQ(MessageOf(TOBREL_ERR_CAPTURE),
            "Cannot capture to " + dir.File("no-such-dir/x.log") + ": No such file or directory.");
}

TEST(TobrelCapture, AMovedOrRemovedFileIsFollowedByANewOneAtThePath) {
  CTempDir dir;
  const std::string strPath = dir.File("capture.log");
  CPseudoTerminal pty;
  ASSERT_NO_FATAL_FAILURE(CaptureAndOpen(strPath, ECaptureForm::Text, pty, dir.File("com6"), 6, 115200));
  // Each part is read and given the capture's once-a-second write before the path changes.
  uint32_t nReceived = 0;
  const auto receive = [&](std::string_view text) {
    ASSERT_TRUE(pty.Write(std::string(text)));
    nReceived += static_cast<uint32_t>(text.size());
    ASSERT_TRUE(WaitForSize(6, nReceived));
    std::this_thread::sleep_for(std::chrono::milliseconds(1300));
  };
  const std::string strNew = "the file this path named was moved or removed; the capture goes on here";
  ASSERT_NO_FATAL_FAILURE(receive("one"));
  std::filesystem::rename(strPath, strPath + ".1");
  ASSERT_NO_FATAL_FAILURE(receive("two\n"));
  std::vector<uint8_t> vecBytes;
  const std::vector<SCaptureLine> vecMoved = ReadBack(strPath + ".1");
  Received(vecMoved, "COM6", vecBytes);
  EXPECT_EQ(Text(vecBytes), "one");
  EXPECT_EQ(vecMoved.back().strPort, "COM6");
  std::vector<SCaptureLine> vecLines = ReadBack(strPath);
  ASSERT_EQ(vecLines.size(), 2u);
  EXPECT_EQ(Events(vecLines, "-"), std::vector<std::string>{strNew});
  EXPECT_EQ(Text(vecLines[1].vecBytes), "two\n");

  std::filesystem::remove(strPath);
  ASSERT_NO_FATAL_FAILURE(receive("three"));
  ASSERT_EQ(Close_Com(6), TOBREL_OK);
  StopCapture();
  vecLines = ReadBack(strPath);
  ASSERT_EQ(vecLines.size(), 3u);
  EXPECT_EQ(Events(vecLines, "-"), std::vector<std::string>{strNew});
  EXPECT_EQ(Text(vecLines[1].vecBytes), "three");
  EXPECT_EQ(Events(vecLines, "COM6"), std::vector<std::string>{"closed"});
  struct stat st {};
  ASSERT_EQ(stat(strPath.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(TobrelCapture, TheRawFormHoldsTheReceivedBytesExactly) {
  CTempDir dir;
  const std::string strPath = dir.File("raw.bin");
  CPseudoTerminal pty;
  ASSERT_NO_FATAL_FAILURE(CaptureAndOpen(strPath, ECaptureForm::Raw, pty, dir.File("com6"), 6, 115200));
  std::string strSaid;
  for (int nRound = 0; nRound < 3; ++nRound) {
    std::string strAll(256, '\0');
    std::iota(strAll.begin(), strAll.end(), static_cast<char>(nRound));
    ASSERT_TRUE(pty.Write(strAll));
    strSaid += strAll;
    ASSERT_TRUE(WaitForSize(6, static_cast<uint32_t>(strSaid.size())));
    ASSERT_EQ(Send_Binary(6, reinterpret_cast<const uint8_t*>(strAll.data()), 256, 0), TOBREL_OK);
  }
  ASSERT_EQ(Close_Com(6), TOBREL_OK);
  StopCapture();
  EXPECT_TRUE(ReadFile(strPath) == strSaid);
}

TEST(TobrelCapture, AQueryComesBeforeTheAnswerItDraws) {
  // On one core, as a loaded machine has it, the writer and the device run the moment the
  // sender wakes them.
  cpu_set_t allCores;
  ASSERT_EQ(sched_getaffinity(0, sizeof allCores, &allCores), 0);
  cpu_set_t oneCore;
  CPU_ZERO(&oneCore);
  CPU_SET(sched_getcpu(), &oneCore);
  ASSERT_EQ(sched_setaffinity(0, sizeof oneCore, &oneCore), 0);
  CTempDir dir;
  const std::string strPath = dir.File("dialogue.log");
  CPseudoTerminal pty;
  ASSERT_NO_FATAL_FAILURE(CaptureAndOpen(strPath, ECaptureForm::Text, pty, dir.File("com5"), 5, 115200));
  constexpr int kQueries = 50;
  // A device that answers each query the moment it has it.
  std::thread device([&] {
    for (int i = 0; i < kQueries; ++i) {
      if (pty.Read(2) != Bytes("Q\r") || !pty.Write("A\r")) return;
    }
  });
  const std::vector<uint8_t> vecQuery = Bytes("Q\r");
  for (int i = 0; i < kQueries; ++i) {
    ASSERT_EQ(Send_Binary(5, vecQuery.data(), 2, 0), TOBREL_OK);
    ASSERT_TRUE(WaitForSize(5, 2));
    uint8_t abyAnswer[2];
    uint32_t nElapsed = 0;
    ASSERT_EQ(Receive_Binary(5, abyAnswer, 1000, 2, &nElapsed), TOBREL_OK);
  }
  device.join();
  ASSERT_EQ(Close_Com(5), TOBREL_OK);
  StopCapture();
  sched_setaffinity(0, sizeof allCores, &allCores);

  std::string strOrder;
  for (const SCaptureLine& line : ReadBack(strPath))
    if (line.cDirection != '!') strOrder += line.cDirection;
  std::string strExpected;
  for (int i = 0; i < kQueries; ++i) strExpected += "><";
  EXPECT_EQ(strOrder, strExpected);
}
