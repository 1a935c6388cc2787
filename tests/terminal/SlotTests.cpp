// The slot list and the two hidden module queries.
#include "PallixSDK.h"
#include "TerminalHarness.h"
#include "TerminalState.h"
#include "Timer.h"
#include "Tobrel.h"
#include "resource.h"

namespace {

class CSlotTest : public CTerminalHarness {
 protected:
  void Query(int id) { SendMessage(m_hDlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
  std::u16string Record() const { return Text(IDC_EDIT_RECEIVE_RECORD); }
};

TEST_F(CSlotTest, EachPickSwitchesToItsSlotAndTouchesNothingElse) {
  RunApp([&] {
    OpenPort();
    Click(IDC_BUTTON_START_AUTO);
    Click(IDC_BUTTON_SEND);
    std::u16string sent = Text(IDC_EDIT_SEND_RECORD);
    // A refresh would replace what is typed here.
    Type(IDC_EDIT_STATUS, u"typed");
    fake::Sdk().switchResults = {PALLIX_OK, PALLIX_NO_BACKPLANE};
    for (int i = 0; i < 8; ++i) Pick(IDC_COMBO_SLOT, i);
    EXPECT_EQ(fake::Sdk().slots, (std::vector<uint8_t>{7, 1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(win::GetTimerPeriod(m_hDlg, 2), 100u);
    EXPECT_EQ(g_terminalState.portNumber, 1);
    EXPECT_EQ(Text(IDC_EDIT_STATUS), u"typed");
    EXPECT_EQ(Text(IDC_EDIT_SEND_RECORD), sent);
    EXPECT_EQ(Record(), u"");
    // No selection: slot 0.
    Type(IDC_COMBO_SLOT, u"x");
    SendMessage(m_hDlg, WM_COMMAND, MAKEWPARAM(IDC_COMBO_SLOT, CBN_SELCHANGE), 0);
    EXPECT_EQ(fake::Sdk().slots.back(), 0);
  });
}

TEST_F(CSlotTest, ASwitchThatFailsIsShownAtStartAndOnAPickAndRefreshes) {
  fake::Sdk().switchResults = {PALLIX_ERR_BACKPLANE};
  RunApp([&] {
    EXPECT_EQ(Text(IDC_EDIT_STATUS), fake::SlotMessageFor(PALLIX_ERR_BACKPLANE));
    OpenPort();
    Type(IDC_EDIT_RECEIVE_RECORD, u"typed");
    fake::Sdk().switchResults = {PALLIX_ERR_BACKPLANE, PALLIX_ERR_SLOT};
    Pick(IDC_COMBO_SLOT, 0);
    EXPECT_EQ(Text(IDC_EDIT_STATUS), fake::SlotMessageFor(PALLIX_ERR_BACKPLANE));
    EXPECT_EQ(Text(IDC_EDIT_RECEIVE_RECORD), u"");
    Pick(IDC_COMBO_SLOT, 7);
    EXPECT_EQ(Text(IDC_EDIT_STATUS), fake::SlotMessageFor(PALLIX_ERR_SLOT));
    // The serial library's result stays what it was.
    EXPECT_EQ(g_terminalState.lastResult, 0u);
    Click(IDC_BUTTON_CLOSE);
    EXPECT_EQ(Text(IDC_EDIT_STATUS), fake::MessageFor(0));
  });
  EXPECT_EQ(fake::Sdk().slots, (std::vector<uint8_t>{7, 1, 8}));
}

TEST_F(CSlotTest, TheQueriesSendTheirCommandsAndAppendTheReplies) {
  RunApp([&] {
    Pick(IDC_COMBO_PORT, 3);
    OpenPort();
    serial.script.commandReply = {'!', '0', '1', 0, 'x'};
    Query(IDC_BUTTON_SCAN);
    auto scan = serial.Calls("Send_Receive_Cmd");
    ASSERT_EQ(scan.size(), 1u);
    EXPECT_EQ(scan[0].bytes, Bytes("@01FF"));
    EXPECT_EQ(scan[0].args, (std::vector<int64_t>{4, 100, 0, 1, 0}));
    EXPECT_EQ(Record(), u"!01");

    serial.script.commandReply = {'!', '0', '0', 'K', 0xE9, 0};
    Query(IDC_BUTTON_NAME_QUERY);
    auto sent = serial.Calls("Send_Cmd");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].bytes, Bytes("$00M"));
    EXPECT_EQ(sent[0].args, (std::vector<int64_t>{4, 0, 0}));
    EXPECT_EQ(serial.Calls("Receive_Cmd")[0].args, (std::vector<int64_t>{4, 100, 0, 1}));
    EXPECT_EQ(Record(), u"!01!00K\u00E9");
    EXPECT_EQ(Text(IDC_EDIT_STATUS), fake::MessageFor(0));
  });
}

TEST_F(CSlotTest, AFullReplyIsBoundedAndAFailedExchangeAfterItAppendsNothing) {
  RunApp([&] {
    OpenPort();
    serial.script.commandReply = std::vector<uint8_t>(TOBREL_REPLY_SIZE, 'R');
    Query(IDC_BUTTON_SCAN);
    EXPECT_EQ(Record(), std::u16string(100, u'R'));
    // The failures write nothing: a buffer the handlers did not clear would
    // still hold the reply before, where their buffers stood.
    serial.script.commandResults = {1, 1};
    Query(IDC_BUTTON_SCAN);
    Query(IDC_BUTTON_NAME_QUERY);
    EXPECT_EQ(Record(), std::u16string(100, u'R'));
    for (const char* pszName : {"Send_Receive_Cmd", "Receive_Cmd"})
      EXPECT_EQ(serial.Calls(pszName).back().replyIn, std::vector<uint8_t>(TOBREL_REPLY_SIZE, 0)) << pszName;
  });
}

}  // namespace
