// Faults end to end: the dialog on the real serial library, with the device
// played on the other side of a pseudo-terminal.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "PseudoTerminal.h"
#include "RingBuffer.h"
#include "TerminalDriver.h"
#include "TextConversion.h"
#include "Timer.h"
#include "Tobrel.h"
#include "TobrelQueries.h"
#include "resource.h"

using namespace tobrel;

namespace {

class CFaultTest : public CTerminalDriver {
 protected:
  void SetUp() override {
    CTerminalDriver::SetUp();
    m_strLink = m_dir.File("com1");
    m_pty.MapPort(1, m_strLink);
  }
  void TearDown() override {
    Close_Com(1);
    CTerminalDriver::TearDown();
  }
  // Polls until the library holds nCount bytes, then lets one tick run.
  void TickWhenBuffered(uint32_t nCount) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (DataSizeInCom(1) < nCount && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    Advance(50);
  }
  std::u16string Record() const { return Text(IDC_EDIT_RECEIVE_RECORD); }
  std::string Status() const {
    std::u16string s = Text(IDC_EDIT_STATUS);
    return std::string(s.begin(), s.end());
  }

  CTempDir m_dir;
  CPseudoTerminal m_pty;
  std::string m_strLink;
};

TEST_F(CFaultTest, TheDeviceGoesAwayMidStreamAndComesBack) {
  RunApp([&] {
    Click(IDC_BUTTON_OPEN);
    EXPECT_EQ(Status(), "COM1 is open: " + m_strLink);
    ASSERT_TRUE(m_pty.Write("hello"));
    TickWhenBuffered(5);
    EXPECT_EQ(Record(), u"hello");

    // Pulled out with bytes still unread: they reach the record, then the status says what
    // happened, once, without a Send or Close to ask.
    ASSERT_TRUE(m_pty.Write("more"));
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (DataSizeInCom(1) < 4 && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    m_pty.CloseMaster();
    const std::string strGone =
        "COM1: " + m_strLink + " has disconnected. Everything received before is kept. Plug it in and press Open Com.";
    for (int i = 0; i < 400 && Status() != strGone; ++i) {
      Advance(50);
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(Status(), strGone);
    EXPECT_EQ(Record(), u"hellomore");
    Click(IDC_BUTTON_CLOSE);
    EXPECT_EQ(Status(), "COM1 is closed (" + m_strLink + ")");
    Advance(500);
    EXPECT_EQ(Status(), "COM1 is closed (" + m_strLink + ")");

    // Back, at the same path: open again and carry on, with the record as it was.
    CPseudoTerminal back;
    back.MapPort(1, m_strLink);
    Click(IDC_BUTTON_OPEN);
    EXPECT_EQ(Status(), "COM1 is open: " + m_strLink);
    ASSERT_TRUE(back.Write("back"));
    TickWhenBuffered(4);
    EXPECT_EQ(Record(), u"hellomoreback");
    Click(IDC_BUTTON_SEND);
    EXPECT_EQ(Status(), "COM1: 5 bytes are on their way to " + m_strLink + ".");
    EXPECT_EQ(back.Read(5), Bytes("$00M\r"));
  });
}

TEST_F(CFaultTest, LostBytesAreToldOnceAndWhatCameBeforeAndAfterIsKept) {
  RunApp([&] {
    Click(IDC_BUTTON_OPEN);
    // More than the library's buffer holds arrives while the terminal does not poll.
    const size_t nCapacity = CRingBuffer::kCapacity;
    std::string strFlood(nCapacity + 5000, '\0');
    for (size_t i = 0; i < strFlood.size(); ++i) strFlood[i] = static_cast<char>('A' + i % 26);
    ASSERT_TRUE(m_pty.Write(strFlood.data(), strFlood.size(), 60000));
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (LostBytesInCom(1) < 5000 && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ASSERT_EQ(LostBytesInCom(1), 5000u);

    Advance(50);
    EXPECT_EQ(Status().substr(0, 40), "COM1: 5000 received bytes were lost from");
    EXPECT_NE(Status().find("Read the port more often."), std::string::npos) << Status();
    ASSERT_EQ(Record().size(), nCapacity);
    const std::u16string strRecord = Record();
    EXPECT_EQ(std::mismatch(strRecord.begin(), strRecord.end(), strFlood.begin()).first - strRecord.begin(),
              static_cast<long>(nCapacity));

    Click(IDC_BUTTON_SEND);
    const std::string strSent = "COM1: 5 bytes are on their way to " + m_strLink + ".";
    EXPECT_EQ(Status(), strSent);
    ASSERT_TRUE(m_pty.Write("after"));
    TickWhenBuffered(5);
    EXPECT_EQ(Status(), strSent);
    EXPECT_TRUE(Record().ends_with(u"after"));
    EXPECT_EQ(Record().size(), nCapacity + 5);
  });
}

TEST_F(CFaultTest, APortHeldByAnotherProgramOrMissingSaysSo) {
  RunApp([&] {
    int fd = open(m_strLink.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
    Click(IDC_BUTTON_OPEN);
    EXPECT_NE(Status().find("in use"), std::string::npos) << Status();
    EXPECT_FALSE(win::GetTimerPeriod(m_hDlg, 1));
    close(fd);
    Click(IDC_BUTTON_OPEN);
    EXPECT_EQ(Status(), "COM1 is open: " + m_strLink);

    std::string missing = m_dir.File("nothing-here");
    MapPortTo(2, missing);
    Pick(IDC_COMBO_PORT, 1);
    Click(IDC_BUTTON_OPEN);
    EXPECT_NE(Status().find(missing), std::string::npos) << Status();
    EXPECT_NE(Status().find("QUORVEL_COM2"), std::string::npos) << Status();
  });
}

TEST_F(CFaultTest, AFloodWhileAutoSendRunsAtTenMillisecondsLosesNothing) {
  RunApp([&] {
    Click(IDC_BUTTON_OPEN);
    Type(IDC_EDIT_INTERVAL, u"10");
    Click(IDC_BUTTON_SET);
    Click(IDC_BUTTON_START_AUTO);

    constexpr size_t kFlood = 2 << 20;
    std::string flood(kFlood, '\0');
    for (size_t i = 0; i < kFlood; ++i) flood[i] = static_cast<char>(1 + (i * 31 + i / 977) % 255);
    std::atomic<bool> bWritten{false};
    std::thread writer([&] {
      m_pty.Write(flood.data(), flood.size(), 60000);
      bWritten = true;
    });
    // The device reads what the terminal sends, as a real one would.
    std::string sent;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    // At least 200 ms of sending, however fast the flood is taken.
    for (int nTicks = 0; (nTicks < 20 || !bWritten || DataSizeInCom(1) > 0 || Record().size() < kFlood) &&
                         std::chrono::steady_clock::now() < deadline;
         ++nTicks) {
      Advance(10);
      for (uint8_t b : m_pty.Read(4096, 0)) sent += static_cast<char>(b);
    }
    writer.join();
    Click(IDC_BUTTON_STOP_AUTO);
    for (uint8_t b : m_pty.Read(4096, 200)) sent += static_cast<char>(b);

    ASSERT_EQ(Record().size(), kFlood);
    std::u16string shown;
    for (char c : flood) shown += WidenReceived(static_cast<uint8_t>(c));
    EXPECT_TRUE(Record() == shown);
    EXPECT_EQ(Status(), "COM1: 5 bytes are on their way to " + m_strLink + ".");
    std::u16string record = Text(IDC_EDIT_SEND_RECORD);
    size_t nBlocks = record.size() / 4;
    EXPECT_GT(nBlocks, 10u);
    std::string want;
    for (size_t i = 0; i < nBlocks; ++i) want += "$00M\r";
    EXPECT_EQ(sent, want);
  });
}

TEST_F(CFaultTest, AHundredThousandCharacterTextGoesOutWhole) {
  RunApp([&] {
    Click(IDC_BUTTON_OPEN);
    std::u16string text;
    for (int i = 0; i < 100000; ++i) text += static_cast<char16_t>(u' ' + i % 95);
    Type(IDC_EDIT_SEND, text);
    std::vector<uint8_t> received;
    std::thread device([&] { received = m_pty.Read(100001, 30000); });
    Click(IDC_BUTTON_SEND);
    device.join();
    // Sent in blocks of 1023 bytes; the status counts them all.
    EXPECT_EQ(Status(), "COM1: the send's 100001 bytes are on their way to " + m_strLink + ".");
    std::vector<uint8_t> want(text.begin(), text.end());
    want.push_back('\r');
    EXPECT_TRUE(received == want) << received.size();
    EXPECT_TRUE(Text(IDC_EDIT_SEND_RECORD) == text);
  });
}

TEST_F(CFaultTest, ADeviceThatReadsNothingNeverHoldsTheWindow) {
  using Clock = std::chrono::steady_clock;
  // A click as a person makes it: its effect is on the screen within 100 ms.
  const auto timedClick = [&](int nId) {
    const auto start = Clock::now();
    EXPECT_TRUE(Click(nId));
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(100)) << "a click on " << nId << " waited";
  };
  RunApp([&] {
    Pick(IDC_COMBO_BAUD, 0);
    Click(IDC_BUTTON_OPEN);
    ASSERT_EQ(Status(), "COM1 is open: " + m_strLink);
    std::u16string text;
    for (int i = 0; i < 100000; ++i) text += static_cast<char16_t>(u'!' + i % 94);
    Type(IDC_EDIT_SEND, text);
    timedClick(IDC_BUTTON_SEND);
    EXPECT_TRUE(Status().ends_with(" bytes are on their way to " + m_strLink + ".")) << Status();
    EXPECT_TRUE(Text(IDC_EDIT_SEND_RECORD) == text);
    timedClick(IDC_BUTTON_CLEAR_SEND);
    EXPECT_EQ(Text(IDC_EDIT_SEND_RECORD), u"");

    // The device takes nothing: after a second the poll tells how many bytes wait, once.
    const std::string strStall =
        " to go out: " + m_strLink + " takes no data. Check the cable and the other side's flow control.";
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (Status().find(strStall) == std::string::npos && Clock::now() < deadline) {
      const auto start = Clock::now();
      Advance(50);
      EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(100)) << "a poll tick waited";
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_TRUE(Status().starts_with("COM1: ")) << Status();
    EXPECT_NE(Status().find(" bytes have waited "), std::string::npos) << Status();
    EXPECT_NE(Status().find(strStall), std::string::npos) << Status();
    // Another send is refused at once with the same news, and nothing is added behind.
    Type(IDC_EDIT_SEND, u"late");
    timedClick(IDC_BUTTON_SEND);
    EXPECT_NE(Status().find(strStall), std::string::npos) << Status();
    EXPECT_EQ(Text(IDC_EDIT_SEND_RECORD), u"");

    // The device reads at last: every byte arrives, in order, and sending goes on.
    std::vector<uint8_t> want(text.begin(), text.end());
    want.push_back('\r');
    EXPECT_TRUE(m_pty.Read(want.size(), 30000) == want);
    timedClick(IDC_BUTTON_SEND);
    EXPECT_EQ(Status(), "COM1: 5 bytes are on their way to " + m_strLink + ".");
    EXPECT_EQ(m_pty.Read(5, 2000), Bytes("late\r"));
  });
}

TEST_F(CFaultTest, ClosingWhileBytesWaitSaysHowManyWereDropped) {
  RunApp([&] {
    Pick(IDC_COMBO_BAUD, 0);
    Click(IDC_BUTTON_OPEN);
    Type(IDC_EDIT_SEND, std::u16string(200000, u'x'));
    Click(IDC_BUTTON_SEND);
    ASSERT_TRUE(Status().ends_with(" bytes are on their way to " + m_strLink + ".")) << Status();
    // The device reads nothing, and no pseudo-terminal holds 200001 bytes for it.
    Click(IDC_BUTTON_CLOSE);
    const std::string strClosed = "COM1 is closed (" + m_strLink + "); ";
    EXPECT_TRUE(Status().starts_with(strClosed)) << Status();
    EXPECT_TRUE(Status().ends_with(" queued bytes could not go out within 1 s and were dropped.")) << Status();
    const uint64_t nDropped = std::stoull(Status().substr(strClosed.size()));
    EXPECT_GT(nDropped, 0u);
    EXPECT_LT(nDropped, 200001u);
    // After a send that was refused, the close still says what it dropped.
    Click(IDC_BUTTON_OPEN);
    for (int nSends = 0; nSends < 10 && Status().find(" were not sent: ") == std::string::npos; ++nSends)
      Click(IDC_BUTTON_SEND);
    ASSERT_NE(Status().find(" were not sent: the output queue holds "), std::string::npos) << Status();
    Click(IDC_BUTTON_CLOSE);
    EXPECT_TRUE(Status().starts_with(strClosed)) << Status();
    EXPECT_TRUE(Status().ends_with(" queued bytes could not go out within 1 s and were dropped.")) << Status();
    // A clean close afterwards says only that.
    Click(IDC_BUTTON_OPEN);
    Click(IDC_BUTTON_CLOSE);
    EXPECT_EQ(Status(), "COM1 is closed (" + m_strLink + ")");
  });
}

TEST_F(CFaultTest, OnlyCharactersUpToU00FFReachTheWire) {
  RunApp([&] {
    Click(IDC_BUTTON_OPEN);
    for (const std::u16string& text :
         {std::u16string(u"\u20AC5"), std::u16string(u"\u4E2D"), std::u16string(u"hi \U0001F600")}) {
      Type(IDC_EDIT_SEND, text);
      Click(IDC_BUTTON_SEND);
      EXPECT_TRUE(Status().starts_with("Send String holds")) << Status();
    }
    Type(IDC_EDIT_SEND, u"\u00E9");
    Click(IDC_BUTTON_SEND);
    EXPECT_EQ(Status(), "COM1: 2 bytes are on their way to " + m_strLink + ".");
    // Only the last text arrived: one byte and its CR.
    EXPECT_EQ(m_pty.Read(3, 300), (std::vector<uint8_t>{0xE9, '\r'}));
    EXPECT_EQ(Text(IDC_EDIT_SEND_RECORD), u"\u00E9");
  });
}

// A socket bound at a path for the length of a test.
class CBoundSocket {
 public:
  CBoundSocket(const std::string& strPath, int nType) : m_nFd(socket(AF_UNIX, nType | SOCK_CLOEXEC, 0)) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, strPath.c_str(), sizeof address.sun_path - 1);
    EXPECT_EQ(bind(m_nFd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    if (nType == SOCK_STREAM) listen(m_nFd, 1);
  }
  ~CBoundSocket() { close(m_nFd); }
  CBoundSocket(const CBoundSocket&) = delete;
  CBoundSocket& operator=(const CBoundSocket&) = delete;
  // What arrived, without waiting.
  std::string Received() const {
    char szData[16];
    ssize_t n = recv(m_nFd, szData, sizeof szData, MSG_DONTWAIT);
    return n > 0 ? std::string(szData, static_cast<size_t>(n)) : std::string();
  }

 private:
  int m_nFd;
};

TEST_F(CFaultTest, ASlotSwitchThatCannotReachTheBackplaneSaysWhyAndNoBackplaneIsSilent) {
  const std::string strMissing = m_dir.File("bpX");
  const std::string strFile = m_dir.File("file");
  std::FILE* pFile = std::fopen(strFile.c_str(), "w");
  ASSERT_NE(pFile, nullptr);
  std::fclose(pFile);
  const std::string strStream = m_dir.File("stream");
  CBoundSocket stream(strStream, SOCK_STREAM);
  const std::string strLong = m_dir.File(std::string(120, 'x'));
  const std::pair<std::string, std::string> faults[] = {
      {strMissing, "does not exist"},
      {strFile, "is a regular file, not a socket"},
      {strStream, "is a stream socket, and the backplane takes datagrams"},
      {strLong, "is " + std::to_string(strLong.size()) + " bytes long, longer than a socket address holds (107)"},
  };
  auto message = [](int nSlot, const std::string& strPath, const std::string& strWhy) {
    return "The controller did not switch to slot " + std::to_string(nSlot) + ": QUORVEL_BACKPLANE=" + strPath + " " +
           strWhy + ". Start the controller's backplane service or fix the variable.";
  };
  for (const auto& [strPath, strWhy] : faults) {
    SCOPED_TRACE(strWhy);
    setenv("QUORVEL_BACKPLANE", strPath.c_str(), 1);
    RunApp([&] {
      EXPECT_EQ(Status(), message(7, strPath, strWhy));
      Type(IDC_EDIT_STATUS, u"typed");
      Pick(IDC_COMBO_SLOT, 0);
      EXPECT_EQ(Status(), message(1, strPath, strWhy));
    });
  }

  // A backplane that listens gets each switch, and the screen stays as it was.
  const std::string strBackplane = m_dir.File("backplane");
  CBoundSocket backplane(strBackplane, SOCK_DGRAM);
  setenv("QUORVEL_BACKPLANE", strBackplane.c_str(), 1);
  RunApp([&] {
    EXPECT_EQ(backplane.Received(), "7");
    EXPECT_EQ(Status(), "");
    Type(IDC_EDIT_STATUS, u"typed");
    Pick(IDC_COMBO_SLOT, 0);
    EXPECT_EQ(backplane.Received(), "1");
    EXPECT_EQ(Status(), "typed");
  });

  unsetenv("QUORVEL_BACKPLANE");
  RunApp([&] {
    EXPECT_EQ(Status(), "");
    Type(IDC_EDIT_STATUS, u"typed");
    Pick(IDC_COMBO_SLOT, 0);
    EXPECT_EQ(Status(), "typed");
  });
}

}  // namespace
