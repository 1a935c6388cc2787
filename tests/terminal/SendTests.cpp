// Sending once and automatically, the interval, and the send record.
#include <algorithm>

#include "TerminalHarness.h"
#include "TerminalState.h"
#include "Timer.h"
#include "resource.h"

namespace {

using CSendTest = CTerminalHarness;
using ByteList = std::vector<uint8_t>;

TEST_F(CSendTest, SendsTheTextWithEachTerminatorAndRecordsTheTextAlone) {
  RunApp([&] {
    OpenPort();
    Click(IDC_BUTTON_SEND);
    auto sends = serial.Calls("Send_Binary");
    ASSERT_EQ(sends.size(), 1u);
    EXPECT_EQ(sends[0].bytes, (ByteList{0x24, 0x30, 0x30, 0x4D, 0x0D}));
    EXPECT_EQ(sends[0].args, (std::vector<int64_t>{1, 5, 0}));
    EXPECT_EQ(Text(IDC_EDIT_SEND_RECORD), u"$00M");
    EXPECT_EQ(Text(IDC_EDIT_STATUS), fake::MessageFor(0));
    // The byte after the block is zero and is not sent.
    EXPECT_EQ(g_terminalState.sendBytes[5], 0);

    const std::pair<int, ByteList> terminators[] = {{0, {'A', 'B'}},
                                                    {1, {'A', 'B', 0x0D}},
                                                    {2, {'A', 'B', 0x0A}},
                                                    {3, {'A', 'B', 0x0A, 0x0D}},
                                                    {4, {'A', 'B', 0x0D, 0x0A}}};
    Type(IDC_EDIT_SEND, u"AB");
    Click(IDC_BUTTON_CLEAR_SEND);
    EXPECT_EQ(Text(IDC_EDIT_SEND_RECORD), u"");
    for (const auto& [nIndex, bytes] : terminators) {
      Pick(IDC_COMBO_TERMINATOR, nIndex);
      Click(IDC_BUTTON_SEND);
      EXPECT_EQ(serial.Calls("Send_Binary").back().bytes, bytes);
    }
    EXPECT_EQ(Text(IDC_EDIT_SEND_RECORD), u"ABABABABAB");
    // No terminator selected: none is added.
    Type(IDC_COMBO_TERMINATOR, u"CR");
    Click(IDC_BUTTON_SEND);
    EXPECT_EQ(serial.Calls("Send_Binary").back().bytes, (ByteList{'A', 'B'}));

    // An empty text sends just the terminator, or a count of 0.
    Type(IDC_EDIT_SEND, u"");
    Pick(IDC_COMBO_TERMINATOR, 4);
    Click(IDC_BUTTON_SEND);
    EXPECT_EQ(serial.Calls("Send_Binary").back().bytes, (ByteList{0x0D, 0x0A}));
    Pick(IDC_COMBO_TERMINATOR, 0);
    Click(IDC_BUTTON_SEND);
    EXPECT_EQ(serial.Calls("Send_Binary").back().args[1], 0);
  });
}

TEST_F(CSendTest, CharactersUpToU00FFGoOutAsOneByteAndWiderOnesSendNothingAndAreNamed) {
  RunApp([&] {
    OpenPort();
    Pick(IDC_COMBO_TERMINATOR, 0);
    Type(IDC_EDIT_SEND, u"\u00E9z\u00FF");
    Click(IDC_BUTTON_SEND);
    EXPECT_EQ(serial.Calls("Send_Binary").back().bytes, (ByteList{0xE9, 'z', 0xFF}));
    EXPECT_EQ(Text(IDC_EDIT_SEND_RECORD), u"\u00E9z\u00FF");

    serial.script.sendResults = {9};
    Click(IDC_BUTTON_SEND);
    ASSERT_EQ(g_terminalState.lastResult, 9u);
    const std::pair<std::u16string, std::u16string> wide[] = {
        {u"ab\u4E2D", u"Send String holds \"\u4E2D\" (U+4E2D) at character 3"},
        {u"\u20AC", u"Send String holds \"\u20AC\" (U+20AC) at character 1"},
        // A character beyond the BMP is one character, shown whole.
        {u"\U0001F600\U0001F600x\u4E2D", u"Send String holds \"\U0001F600\" (U+1F600) at character 1"},
        {u"a\u00E9\U0001F600b\u20AC", u"Send String holds \"\U0001F600\" (U+1F600) at character 3"},
        {std::u16string(1500, u'a') + u"\u0100", u"Send String holds \"\u0100\" (U+0100) at character 1501"},
    };
    for (const auto& [text, status] : wide) {
      SCOPED_TRACE(testing::Message() << text.size() << " units");
      Type(IDC_EDIT_SEND, text);
      Click(IDC_BUTTON_SEND);
      EXPECT_EQ(serial.Count("Send_Binary"), 2u);
      EXPECT_EQ(Text(IDC_EDIT_STATUS),
                status + u", which a serial line cannot carry as one byte: use characters up to U+00FF");
      EXPECT_EQ(Text(IDC_EDIT_SEND_RECORD), u"\u00E9z\u00FF");
      EXPECT_EQ(g_terminalState.lastResult, 9u);
    }

    // Automatic sending shows it on every tick and sends nothing.
    Type(IDC_EDIT_SEND, u"\u20AC");
    Click(IDC_BUTTON_SEND);
    std::u16string refusal = Text(IDC_EDIT_STATUS);
    Type(IDC_EDIT_STATUS, u"typed");
    Click(IDC_BUTTON_START_AUTO);
    Advance(100);
    EXPECT_EQ(Text(IDC_EDIT_STATUS), refusal);
    Type(IDC_EDIT_STATUS, u"typed");
    Advance(100);
    EXPECT_EQ(Text(IDC_EDIT_STATUS), refusal);
    EXPECT_EQ(serial.Count("Send_Binary"), 2u);
    Type(IDC_EDIT_SEND, u"ok");
    serial.script.sendResults = {};
    Advance(100);
    EXPECT_EQ(serial.Calls("Send_Binary").back().bytes, Bytes("ok"));
    EXPECT_EQ(Text(IDC_EDIT_STATUS), fake::MessageFor(0));
  });
}

TEST_F(CSendTest, AFailedSendShowsItsMessageAndLeavesTheRecord) {
  RunApp([&] {
    Click(IDC_BUTTON_SEND);
    serial.script.sendResults = {9};
    Click(IDC_BUTTON_SEND);
    EXPECT_EQ(Text(IDC_EDIT_SEND_RECORD), u"$00M");
    EXPECT_EQ(Text(IDC_EDIT_STATUS), fake::MessageFor(9));
    EXPECT_EQ(g_terminalState.lastResult, 9u);
  });
}

// A long send's rule: blocks of at most 1023 bytes that together are the
// text's bytes in order, with the terminator once, at the end of the last.
void ExpectBlocks(const std::vector<fake::CCall>& sends, const std::u16string& text, const ByteList& terminator) {
  ASSERT_FALSE(sends.empty());
  ByteList all;
  for (const auto& s : sends) {
    EXPECT_FALSE(s.bytes.empty());
    EXPECT_LE(s.bytes.size(), 1023u);
    all.insert(all.end(), s.bytes.begin(), s.bytes.end());
  }
  ByteList want(text.begin(), text.end());
  want.insert(want.end(), terminator.begin(), terminator.end());
  EXPECT_EQ(all, want);
  const ByteList& last = sends.back().bytes;
  ASSERT_GE(last.size(), terminator.size());
  EXPECT_TRUE(std::equal(terminator.begin(), terminator.end(), last.end() - terminator.size()));
}

TEST_F(CSendTest, ALongTextGoesOutWholeInBlocksWithTheTerminatorAfterTheLast) {
  RunApp([&] {
    Click(IDC_BUTTON_OPEN);
    std::u16string text;
    for (int i = 0; i < 2500; ++i) text += static_cast<char16_t>(u'a' + i % 26);
    Type(IDC_EDIT_SEND, text);
    Pick(IDC_COMBO_TERMINATOR, 4);
    Click(IDC_BUTTON_SEND);
    ExpectBlocks(serial.Calls("Send_Binary"), text, {0x0D, 0x0A});
    EXPECT_EQ(Text(IDC_EDIT_SEND_RECORD), text);
    // The status counts the whole send, not its last block.
    EXPECT_EQ(Text(IDC_EDIT_STATUS), u"COM1: the send's 2502 bytes are on their way.");

    // A text that fills a block exactly, and one a byte longer than that.
    Pick(IDC_COMBO_TERMINATOR, 1);
    for (size_t nLength : {1023u, 1024u}) {
      SCOPED_TRACE(nLength);
      serial.calls.clear();
      Click(IDC_BUTTON_CLEAR_SEND);
      Type(IDC_EDIT_SEND, text.substr(0, nLength));
      Click(IDC_BUTTON_SEND);
      ExpectBlocks(serial.Calls("Send_Binary"), text.substr(0, nLength), {0x0D});
      EXPECT_EQ(Text(IDC_EDIT_SEND_RECORD), text.substr(0, nLength));
    }
    // What fits the buffer with its terminator goes out in one call.
    serial.calls.clear();
    Type(IDC_EDIT_SEND, text.substr(0, 1022));
    Click(IDC_BUTTON_SEND);
    EXPECT_EQ(serial.Count("Send_Binary"), 1u);
    EXPECT_EQ(serial.Calls("Send_Binary").back().bytes.size(), 1023u);

    // The first refused block stops the rest; the accepted blocks are recorded.
    serial.calls.clear();
    Click(IDC_BUTTON_CLEAR_SEND);
    serial.script.sendResults = {0, 33};
    Type(IDC_EDIT_SEND, text);
    Click(IDC_BUTTON_SEND);
    auto sends = serial.Calls("Send_Binary");
    ASSERT_EQ(sends.size(), 2u);
    EXPECT_EQ(Text(IDC_EDIT_SEND_RECORD), text.substr(0, sends[0].bytes.size()));
    // The status tells the refusal and how much of the send went before it.
    EXPECT_EQ(Text(IDC_EDIT_STATUS), fake::MessageFor(33) + u" Only the first 1023 of its 2501 bytes went out.");
  });
}

TEST_F(CSendTest, AutoSendRunsAtTheIntervalSetUntilStopped) {
  RunApp([&] {
    // The interval starts at 100.
    Click(IDC_BUTTON_START_AUTO);
    EXPECT_EQ(win::GetTimerPeriod(m_hDlg, 2), 100u);
    Advance(1000);
    EXPECT_EQ(serial.Count("Send_Binary"), 10u);
    EXPECT_EQ(Text(IDC_EDIT_SEND_RECORD).size(), 40u);

    // Set while running keeps the period until the next Start Auto.
    Type(IDC_EDIT_INTERVAL, u"250");
    Click(IDC_BUTTON_SET);
    EXPECT_EQ(win::GetTimerPeriod(m_hDlg, 2), 100u);
    Click(IDC_BUTTON_START_AUTO);
    EXPECT_EQ(win::GetTimerPeriod(m_hDlg, 2), 250u);
    serial.calls.clear();
    Advance(1000);
    EXPECT_EQ(serial.Count("Send_Binary"), 4u);

    // Auto-send goes on whatever the results.
    serial.script.sendResults = {1, 2, 3};
    Advance(1000);
    EXPECT_EQ(serial.Count("Send_Binary"), 8u);

    // Periods below the platform's minimum and negative ones are clamped by it.
    Type(IDC_EDIT_INTERVAL, u"0");
    Click(IDC_BUTTON_SET);
    Click(IDC_BUTTON_START_AUTO);
    EXPECT_EQ(win::GetTimerPeriod(m_hDlg, 2), 10u);
    Type(IDC_EDIT_INTERVAL, u"  -5x");
    Click(IDC_BUTTON_SET);
    EXPECT_EQ(g_terminalState.autoSendInterval, -5);
    Click(IDC_BUTTON_START_AUTO);
    EXPECT_EQ(win::GetTimerPeriod(m_hDlg, 2), 0x7FFFFFFFu);

    Click(IDC_BUTTON_STOP_AUTO);
    EXPECT_FALSE(win::GetTimerPeriod(m_hDlg, 2));
    serial.calls.clear();
    Advance(1000);
    EXPECT_EQ(serial.Count("Send_Binary"), 0u);
  });
}

}  // namespace
