// Faults end to end: the dialog on the real serial library, with the device
// played on the other side of a pseudo-terminal.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "PseudoTerminal.h"
#include "TerminalDriver.h"
#include "Timer.h"
#include "Tobrel.h"
#include "resource.h"

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
    EXPECT_EQ(Status(), "OK");
    ASSERT_TRUE(m_pty.Write("hello"));
    TickWhenBuffered(5);
    EXPECT_EQ(Record(), u"hello");

    // What arrived before the device went is still shown.
    ASSERT_TRUE(m_pty.Write("more"));
    TickWhenBuffered(4);
    m_pty.CloseMaster();
    Advance(50);
    EXPECT_EQ(Record(), u"hellomore");
    Click(IDC_BUTTON_SEND);
    EXPECT_NE(Status().find("disconnected"), std::string::npos) << Status();
    Advance(500);

    // Back, at the same path: open again and carry on.
    CPseudoTerminal back;
    back.MapPort(1, m_strLink);
    Click(IDC_BUTTON_OPEN);
    EXPECT_EQ(Status(), "OK");
    ASSERT_TRUE(back.Write("back"));
    TickWhenBuffered(4);
    EXPECT_EQ(Record(), u"hellomoreback");
    Click(IDC_BUTTON_SEND);
    EXPECT_EQ(Status(), "COM1: 5 bytes are on their way to " + m_strLink + ".");
    EXPECT_EQ(back.Read(5), Bytes("$00M\r"));
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
    EXPECT_EQ(Status(), "OK");

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
    while ((!bWritten || DataSizeInCom(1) > 0 || Record().size() < kFlood) &&
           std::chrono::steady_clock::now() < deadline) {
      Advance(10);
      for (uint8_t b : m_pty.Read(4096, 0)) sent += static_cast<char>(b);
    }
    writer.join();
    Click(IDC_BUTTON_STOP_AUTO);
    for (uint8_t b : m_pty.Read(4096, 200)) sent += static_cast<char>(b);

    ASSERT_EQ(Record().size(), kFlood);
    std::u16string shown;
    for (char c : flood) shown += static_cast<char16_t>(static_cast<uint8_t>(c));
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
    // Sent in blocks of 1023 bytes; the status tells the last one.
    EXPECT_EQ(Status(), "COM1: " + std::to_string(100001 % 1023) + " bytes are on their way to " + m_strLink + ".");
    std::vector<uint8_t> want(text.begin(), text.end());
    want.push_back('\r');
    EXPECT_TRUE(received == want) << received.size();
    EXPECT_TRUE(Text(IDC_EDIT_SEND_RECORD) == text);
  });
}

}  // namespace
