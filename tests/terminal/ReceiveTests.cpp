// The receive poll: what each tick reads and what the record gains.
#include <cstdlib>
#include <filesystem>

#include "SharedText.h"
#include "SmallDisk.h"
#include "TerminalHarness.h"
#include "TerminalState.h"
#include "Tobrel.h"
#include "resource.h"

namespace {

class CReceiveTest : public CTerminalHarness {
 protected:
  // Lets one poll tick run.
  void Tick() { Advance(50); }
  std::u16string Record() const { return Text(IDC_EDIT_RECEIVE_RECORD); }
};

TEST_F(CReceiveTest, TailsAreDroppedFromEachBlockOnItsOwn) {
  RunApp([&] {
    OpenPort();
    serial.Arrive("OK\r\n");
    Pick(IDC_COMBO_TAIL, 2);
    Tick();
    EXPECT_EQ(Record(), u"OK");
    Pick(IDC_COMBO_TAIL, 0);
    serial.Arrive("OK\r\n");
    Tick();
    EXPECT_EQ(Record(), u"OKOK\r\n");

    Click(IDC_BUTTON_CLEAR_RECEIVE);
    EXPECT_EQ(Record(), u"");
    Pick(IDC_COMBO_TAIL, 1);
    serial.Arrive("OK\r");
    Tick();
    serial.Arrive("\n");
    Tick();
    EXPECT_EQ(Record(), u"OK");

    // Blocks follow each other with nothing between them.
    Pick(IDC_COMBO_TAIL, 0);
    Click(IDC_BUTTON_CLEAR_RECEIVE);
    serial.Arrive("AB");
    Tick();
    serial.Arrive("CD");
    Tick();
    EXPECT_EQ(Record(), u"ABCD");

    // A block shorter than the tail adds nothing; no selection keeps it whole.
    Pick(IDC_COMBO_TAIL, 2);
    serial.Arrive("X");
    Tick();
    EXPECT_EQ(Record(), u"ABCD");
    Type(IDC_COMBO_TAIL, u"");
    serial.Arrive("EF");
    Tick();
    EXPECT_EQ(Record(), u"ABCDEF");
  });
}

TEST_F(CReceiveTest, ZeroBytesAndHighBytesShowAndNothingAfterThemIsLost) {
  RunApp([&] {
    OpenPort();
    serial.Arrive(std::vector<uint8_t>{'a', 0, 'b', 0xB0, 0x41, 0xFF});
    Tick();
    EXPECT_EQ(Record(), u"a\u2400b\u00B0A\u00FF");
    Pick(IDC_COMBO_TAIL, 1);
    serial.Arrive(std::vector<uint8_t>{'c', 0, 'd', 0});
    Tick();
    EXPECT_EQ(Record(), u"a\u2400b\u00B0A\u00FFc\u2400d");
  });
}

TEST_F(CReceiveTest, ATickReadsEverythingWaitingInBufferSizedReads) {
  RunApp([&] {
    OpenPort();
    for (size_t nWaiting : {1023u, 1024u, 3000u, 70000u}) {
      SCOPED_TRACE(nWaiting);
      serial.calls.clear();
      Click(IDC_BUTTON_CLEAR_RECEIVE);
      std::vector<uint8_t> bytes(nWaiting);
      for (size_t i = 0; i < nWaiting; ++i) bytes[i] = static_cast<uint8_t>(1 + i % 250);
      serial.Arrive(bytes);
      Pick(IDC_COMBO_TAIL, 2);
      Tick();
      // Reads of at most 1023 bytes take everything that was waiting.
      size_t nTotal = 0;
      for (const auto& r : serial.Calls("Receive_Binary")) {
        EXPECT_GT(r.args[2], 0);
        EXPECT_LE(r.args[2], 1023);
        EXPECT_EQ(r.args[1], 100);
        nTotal += static_cast<size_t>(r.args[2]);
      }
      EXPECT_EQ(nTotal, nWaiting);
      // A block that fits the buffer takes the poll's steps alone.
      if (nWaiting <= 1023) {
        std::vector<std::string> names;
        for (const auto& c : serial.calls) names.push_back(c.name);
        EXPECT_EQ(names, (std::vector<std::string>{"DataSizeInCom", "DataSizeInCom", "Receive_Binary"}));
      }
      // The tail comes off once, from the end of everything that was waiting.
      std::u16string want(bytes.begin(), bytes.end() - 2);
      EXPECT_EQ(Record(), want);
    }
    // A read of one byte after a full one: the tail reaches back into the first.
    Click(IDC_BUTTON_CLEAR_RECEIVE);
    serial.Arrive(std::string(1023, 'x') + "yz");
    Tick();
    EXPECT_EQ(Record(), std::u16string(1023, u'x'));
  });
}

TEST_F(CReceiveTest, ATickWithNothingWaitingAsksOnceAndTouchesNothing) {
  RunApp([&] {
    OpenPort();
    Type(IDC_EDIT_RECEIVE_RECORD, u"typed");
    Tick();
    EXPECT_EQ(serial.Count("DataSizeInCom"), 1u);
    EXPECT_EQ(serial.calls.size(), 1u);
    EXPECT_EQ(Record(), u"typed");
  });
}

TEST_F(CReceiveTest, AFailedReadIsSilentAndTheBytesComeNextTick) {
  RunApp([&] {
    OpenPort();
    Type(IDC_EDIT_STATUS, u"before");
    serial.Arrive("late");
    serial.script.nFailingReads = 1;
    g_terminalState.lastResult = 5;
    Tick();
    EXPECT_EQ(Record(), u"");
    EXPECT_EQ(Text(IDC_EDIT_STATUS), u"before");
    EXPECT_EQ(g_terminalState.lastResult, 5u);
    Tick();
    EXPECT_EQ(Record(), u"late");
  });
}

TEST_F(CReceiveTest, NewsIsToldOnceAndTheBytesAroundItReachTheRecord) {
  const auto status = [&] { return Text(IDC_EDIT_STATUS); };
  const auto message = [](uint32_t nResult) { return fake::MessageFor(nResult); };
  RunApp([&] {
    OpenPort();
    // A stalled send is told by the next tick, which reads the bytes waiting behind it.
    serial.script.news = {kResultSendStalled};
    serial.Arrive("ab");
    Tick();
    EXPECT_EQ(status(), message(kResultSendStalled));
    EXPECT_EQ(Record(), u"ab");

    // Told once: later ticks leave the status line to what came since.
    Click(IDC_BUTTON_SEND);
    EXPECT_EQ(status(), message(0));
    serial.Arrive("cd");
    Tick();
    Tick();
    EXPECT_EQ(status(), message(0));
    EXPECT_EQ(Record(), u"abcd");

    // A failing capture file with nothing else waiting: told, and no read waits for bytes
    // that are not there.
    serial.calls.clear();
    serial.script.news = {kResultCaptureFailed};
    Tick();
    EXPECT_EQ(status(), message(kResultCaptureFailed));
    EXPECT_EQ(serial.Count("Receive_Binary"), 1u);
    EXPECT_EQ(Record(), u"abcd");

    // Several events in one tick are all shown, each kind once.
    serial.script.news = {kResultCaptureFailed, kResultReceiveLost, kResultSendStalled, kResultReceiveLost};
    serial.Arrive("ef");
    Tick();
    EXPECT_EQ(status(),
              message(kResultReceiveLost) + u" " + message(kResultSendStalled) + u" " + message(kResultCaptureFailed));
    EXPECT_EQ(Record(), u"abcdef");

    // A device that went away after a stall: both are shown.
    serial.script.news = {kResultSendStalled, kResultDisconnected};
    Tick();
    EXPECT_EQ(status(), message(kResultSendStalled) + u" " + message(kResultDisconnected));
  });
}

// A record past the resident bound with no room for its store on the disk:
// the status line tells once, and every byte stays in the record.
TEST_F(CReceiveTest, AFullDiskUnderTheRecordIsToldOnceAndNoByteIsLost) {
  char szCache[] = "/tmp/quorvel-receive-XXXXXX";
  ASSERT_NE(mkdtemp(szCache), nullptr);
  setenv("XDG_CACHE_HOME", szCache, 1);
  win::SetTextResidentBound(2 * win::CTextStore::kChunkUnits);
  const std::u16string strTold = u"the receive record keeps growing in memory: no room left in " +
                                 std::filesystem::path(std::string(szCache) + "/quorvel").u16string();
  const std::optional<bool> passed = OnSmallDisk(szCache, "64k", [&] {
    RunApp([&] {
      OpenPort();
      std::string strSent;
      for (int i = 0; i < 40; ++i) {
        const std::string strLine = std::string(8190, static_cast<char>('a' + i % 26)) + "\r\n";
        strSent += strLine;
        serial.Arrive(strLine);
        Tick();
      }
      EXPECT_EQ(Record(), std::u16string(strSent.begin(), strSent.end()));
      EXPECT_EQ(Text(IDC_EDIT_STATUS), strTold);
      // Told once: the next news has the status line to itself.
      serial.script.news = {kResultSendStalled};
      serial.Arrive("more");
      Tick();
      EXPECT_EQ(Text(IDC_EDIT_STATUS), fake::MessageFor(kResultSendStalled));
    });
    return !::testing::Test::HasFailure();
  });
  win::SetTextResidentBound(win::kDefaultResidentBound);
  unsetenv("XDG_CACHE_HOME");
  std::filesystem::remove_all(szCache);
  if (!passed) GTEST_SKIP() << "no tmpfs can be mounted in a user namespace here";
  EXPECT_TRUE(*passed);
}

TEST_F(CReceiveTest, AnOpenPortIsPolledEveryFiftyMilliseconds) {
  RunApp([&] {
    OpenPort();
    Advance(49);
    EXPECT_EQ(serial.Count("DataSizeInCom"), 0u);
    Advance(1);
    EXPECT_EQ(serial.Count("DataSizeInCom"), 1u);
    Advance(1000);
    EXPECT_EQ(serial.Count("DataSizeInCom"), 21u);
    for (const auto& c : serial.Calls("DataSizeInCom")) EXPECT_EQ(c.args[0], 1);
  });
}

}  // namespace
