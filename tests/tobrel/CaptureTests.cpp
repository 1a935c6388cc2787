// The capture file, read back as a person's tools would: every byte both ways, lines per
// read, per LF and per tenth of a second, the events, appending, the file's mode, a file
// that fails and recovers, a file moved or removed, what is planted at the path, the raw form,
// and a query before the answer it draws.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
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

// What the capture told through the port's reads, its bytes taken as they come.
void DrainTold(uint8_t nPort, std::vector<std::string>& vecTold) {
  uint8_t abyBuffer[4096];
  uint32_t nElapsed = 0;
  for (uint32_t nSize; (nSize = DataSizeInCom(nPort)) != 0;) {
    const uint16_t nResult = Receive_Binary(
        nPort, abyBuffer, 0, static_cast<uint16_t>(std::min<uint32_t>(nSize, sizeof abyBuffer)), &nElapsed);
    if (nResult == TOBREL_ERR_CAPTURE) vecTold.push_back(MessageOf(nResult));
    if (nResult == TOBREL_ERR_RECEIVE_TIMEOUT) return;
  }
}

// A tmpfs of its own, small enough to fill; it needs root, else Mounted() is false.
class CSmallDisk {
 public:
  explicit CSmallDisk(int nKiB)
      : m_bMounted(mount("tmpfs", m_dir.Path().c_str(), "tmpfs", 0, ("size=" + std::to_string(nKiB) + "k").c_str()) ==
                   0) {}
  ~CSmallDisk() {
    if (m_bMounted) umount2(m_dir.Path().c_str(), MNT_DETACH);
  }
  bool Mounted() const { return m_bMounted; }
  std::string File(const std::string& strName) const { return m_dir.File(strName); }
  // A file of its own takes every byte left; Free removes it.
  void Fill() const {
    const int nFd = open(File("filler").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    const std::string strBlock(4096, 'f');
    while (write(nFd, strBlock.data(), strBlock.size()) > 0) {
    }
    while (write(nFd, "f", 1) > 0) {
    }
    close(nFd);
  }
  void Free() const { std::filesystem::remove(File("filler")); }

 private:
  CTempDir m_dir;
  bool m_bMounted;
};

struct SFullDiskRun {
  std::string strSent;               // every byte the device said
  std::string strAfter;              // the last of it, said once the disk had room again
  std::vector<std::string> vecTold;  // the capture's messages, in order
};

// Lines stream in on COM8 while the disk is full, then once it has room again.
void RunOnFullDisk(const CSmallDisk& disk, const std::string& strPath, ECaptureForm form, SFullDiskRun& run) {
  CTempDir dir;
  CPseudoTerminal pty;
  ASSERT_NO_FATAL_FAILURE(CaptureAndOpen(strPath, form, pty, dir.File("com8"), 8, 921600));
  int nLine = 0;
  const auto say = [&](int nLines) {
    std::string strText;
    for (int i = 0; i < nLines; ++i) strText += "line " + std::to_string(++nLine) + " of the stream, \x01\xfe\n";
    ASSERT_TRUE(pty.Write(strText));
    run.strSent += strText;
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    DrainTold(8, run.vecTold);
    run.strAfter = strText;
  };
  // The first line reaches the file first: the rest of its page takes part of a batch.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  disk.Fill();
  for (int i = 0; i < 40; ++i) ASSERT_NO_FATAL_FAILURE(say(40));
  disk.Free();
  // The capture tries the file again within a fifth of a second, and writes once a second.
  std::this_thread::sleep_for(std::chrono::milliseconds(1300));
  ASSERT_NO_FATAL_FAILURE(say(5));
  std::this_thread::sleep_for(std::chrono::milliseconds(1300));
  DrainTold(8, run.vecTold);
  ASSERT_EQ(Close_Com(8), TOBREL_OK);
  StopCapture();
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

// A person's shared directory: whatever is planted at the path, only a regular file there is
// ever written, and anything else is refused at once with the reason, at the start and later.
TEST(TobrelCapture, OnlyARegularFileAtThePathIsWrittenNeverWhatALinkFifoOrDeviceLeadsTo) {
  CTempDir dir;
  const std::string strVictim = dir.File("victim");
  std::ofstream(strVictim) << "keep\n";
  std::filesystem::create_symlink(strVictim, dir.File("link"));
  ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0600), 0);
  // A FIFO with a reader would open at once; one without would wait for a reader for ever.
  const int nReader = open(dir.File("fifo").c_str(), O_RDONLY | O_NONBLOCK);
  const std::pair<std::string, std::string> refusals[] = {
      {dir.File("link"), "it is a symbolic link, not a regular file"},
      {dir.File("fifo"), "it is a FIFO, not a regular file"},
      {"/dev/null", "it is a device, not a regular file"},
      {dir.Path(), "it is a directory, not a regular file"},
      {dir.File("no-such-dir/x.log"), "No such file or directory"},
  };
  for (const auto& [strPath, strWhy] : refusals) {
    EXPECT_EQ(StartCapture(strPath, ECaptureForm::Text), TOBREL_ERR_CAPTURE) << strPath;
    EXPECT_EQ(MessageOf(TOBREL_ERR_CAPTURE), "Cannot capture to " + strPath + ": " + strWhy + ".");
  }
  close(nReader);

  const std::string strPath = dir.File("capture.log");
  CPseudoTerminal pty;
  ASSERT_NO_FATAL_FAILURE(CaptureAndOpen(strPath, ECaptureForm::Text, pty, dir.File("com7"), 7, 115200));
  std::vector<std::string> vecTold;
  const auto receive = [&](const std::string& strText) {
    ASSERT_TRUE(pty.Write(strText));
    ASSERT_TRUE(WaitForSize(7, static_cast<uint32_t>(strText.size())));
    std::this_thread::sleep_for(std::chrono::milliseconds(1300));
    DrainTold(7, vecTold);
  };
  ASSERT_NO_FATAL_FAILURE(receive("one\n"));
  // The file goes, as to log rotation, and someone plants a link, then a FIFO, in its place.
  std::filesystem::remove(strPath);
  std::filesystem::create_symlink(strVictim, strPath);
  ASSERT_NO_FATAL_FAILURE(receive("two"));
  std::filesystem::remove(strPath);
  ASSERT_EQ(mkfifo(strPath.c_str(), 0600), 0);
  ASSERT_NO_FATAL_FAILURE(receive("three"));
  std::filesystem::remove(strPath);
  ASSERT_NO_FATAL_FAILURE(receive("four\n"));
  ASSERT_EQ(Close_Com(7), TOBREL_OK);
  StopCapture();

  EXPECT_EQ(ReadFile(strVictim), "keep\n");
  EXPECT_EQ(vecTold, std::vector<std::string>{"Capture to " + strPath +
                                              " failed: it is a symbolic link, not a regular file. The terminal goes "
                                              "on; the file misses what passes until writing works again, then says "
                                              "how many bytes it missed."});
  const std::vector<SCaptureLine> vecLines = ReadBack(strPath);
  ASSERT_EQ(vecLines.size(), 3u);
  EXPECT_EQ(Text(vecLines[0].vecBytes), "the file missed 8 bytes: it is a FIFO, not a regular file");
  EXPECT_EQ(Text(vecLines[1].vecBytes), "four\n");
  struct stat st {};
  ASSERT_EQ(lstat(strPath.c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

// A disk that fills up while lines stream in and then has room again: the status line tells
// the failure once, every line of the file is whole, and the count of missed bytes is exact.
TEST(TobrelCapture, AFullDiskIsToldOnceAndTheTextFileSaysExactlyWhatItMissedInWholeLines) {
  CSmallDisk disk(64);
  if (!disk.Mounted()) GTEST_SKIP() << "mounting a small tmpfs needs root";
  const std::string strPath = disk.File("capture.log");
  SFullDiskRun run;
  ASSERT_NO_FATAL_FAILURE(RunOnFullDisk(disk, strPath, ECaptureForm::Text, run));

  const std::vector<SCaptureLine> vecLines = ReadBack(strPath);
  std::vector<uint8_t> vecCaptured;
  Received(vecLines, "COM8", vecCaptured);
  uint64_t nMissed = 0;
  for (const std::string& strEvent : Events(vecLines, "-")) {
    ASSERT_TRUE(strEvent.starts_with("the file missed ")) << strEvent;
    EXPECT_TRUE(strEvent.ends_with(" bytes: No space left on device")) << strEvent;
    nMissed += std::stoull(strEvent.substr(16));
  }
  EXPECT_GT(nMissed, 0u);
  EXPECT_EQ(vecCaptured.size() + nMissed, run.strSent.size());
  EXPECT_TRUE(Text(vecCaptured).ends_with(run.strAfter));
  EXPECT_EQ(run.vecTold, std::vector<std::string>{"Capture to " + strPath +
                                                  " failed: No space left on device. The terminal goes on; the file "
                                                  "misses what passes until writing works again, then says how many "
                                                  "bytes it missed."});
}

// The raw file gains nothing but received bytes: the status line tells the failure, and the
// count when writing works again.
TEST(TobrelCapture, AFullDiskUnderTheRawFormIsToldWithTheCountInTheStatusLine) {
  CSmallDisk disk(64);
  if (!disk.Mounted()) GTEST_SKIP() << "mounting a small tmpfs needs root";
  const std::string strPath = disk.File("capture.bin");
  SFullDiskRun run;
  ASSERT_NO_FATAL_FAILURE(RunOnFullDisk(disk, strPath, ECaptureForm::Raw, run));

  const std::string strFile = ReadFile(strPath);
  EXPECT_TRUE(strFile.ends_with(run.strAfter));
  ASSERT_EQ(run.vecTold.size(), 2u);
  EXPECT_EQ(run.vecTold[0], "Capture to " + strPath +
                                " failed: No space left on device. The terminal goes on; the file misses what "
                                "passes until writing works again, then the status line says how many bytes it "
                                "missed.");
  const std::string strBack = "Capture to " + strPath + " works again; the file missed ";
  ASSERT_TRUE(run.vecTold[1].starts_with(strBack)) << run.vecTold[1];
  EXPECT_TRUE(run.vecTold[1].ends_with(" bytes: No space left on device."));
  EXPECT_EQ(strFile.size() + std::stoull(run.vecTold[1].substr(strBack.size())), run.strSent.size());
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
