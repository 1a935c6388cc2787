// Open Com and Close Com, driven through the dialog as a person does.
#include "TerminalHarness.h"
#include "TerminalState.h"
#include "Timer.h"
#include "Tobrel.h"
#include "resource.h"

namespace {

using CPortTest = CTerminalHarness;
using Args = std::vector<int64_t>;

TEST_F(CPortTest, OpenPassesTheChosenSettingsAndStartsThePollOnSuccess) {
  RunApp([&] {
    Click(IDC_BUTTON_OPEN);
    auto opens = serial.Calls("Open_Com");
    ASSERT_EQ(opens.size(), 1u);
    EXPECT_EQ(opens[0].args, (Args{1, 115200, 8, 0, 0}));
    EXPECT_EQ(Text(IDC_EDIT_STATUS), fake::MessageFor(0));
    EXPECT_EQ(win::GetTimerPeriod(m_hDlg, 1), 50u);

    Pick(IDC_COMBO_PORT, 9);
    Pick(IDC_COMBO_BAUD, 9);
    Pick(IDC_COMBO_DATABITS, 0);
    Pick(IDC_COMBO_PARITY, 3);
    Pick(IDC_COMBO_STOPBITS, 1);
    Click(IDC_BUTTON_OPEN);
    EXPECT_EQ(serial.Calls("Open_Com").back().args, (Args{10, 921600, 5, 3, 1}));
    Pick(IDC_COMBO_BAUD, 0);
    Pick(IDC_COMBO_DATABITS, 2);
    Pick(IDC_COMBO_PARITY, 2);
    Pick(IDC_COMBO_STOPBITS, 2);
    Click(IDC_BUTTON_OPEN);
    EXPECT_EQ(serial.Calls("Open_Com").back().args, (Args{10, 2400, 7, 2, 2}));
    // A second open closes nothing, and close uses the newest port.
    EXPECT_EQ(serial.Count("Close_Com"), 0u);
    Click(IDC_BUTTON_CLOSE);
    EXPECT_EQ(serial.Calls("Close_Com").back().args, Args{10});
  });
}

TEST_F(CPortTest, ThePollStartsOnlyOnSuccessAndASecondSuccessRestartsItsPeriod) {
  RunApp([&] {
    serial.script.openResults = {7};
    Click(IDC_BUTTON_OPEN);
    EXPECT_EQ(Text(IDC_EDIT_STATUS), fake::MessageFor(7));
    EXPECT_FALSE(win::GetTimerPeriod(m_hDlg, 1));
    Advance(200);
    EXPECT_EQ(serial.Count("DataSizeInCom"), 0u);

    Click(IDC_BUTTON_OPEN);
    Advance(30);
    Click(IDC_BUTTON_OPEN);  // restarts the period from here
    Advance(40);
    EXPECT_EQ(serial.Count("DataSizeInCom"), 0u);
    Advance(10);
    EXPECT_EQ(serial.Count("DataSizeInCom"), 1u);
    // Close stops no timer: the poll goes on.
    Click(IDC_BUTTON_CLOSE);
    Advance(100);
    EXPECT_EQ(serial.Count("DataSizeInCom"), 3u);
  });
}

TEST_F(CPortTest, OpenComErrorShowsItsOwnTextAndStartsNoTimer) {
  RunApp([&] {
    serial.script.openResults = {kResultOpenComError};
    Click(IDC_BUTTON_OPEN);
    EXPECT_EQ(Text(IDC_EDIT_STATUS), u"qel_ERR_OPEN_COM");
    EXPECT_EQ(g_terminalState.lastResult, kResultOpenComError);
    EXPECT_FALSE(win::GetTimerPeriod(m_hDlg, 1));
  });
}

TEST_F(CPortTest, CloseShowsTheMessageOfTheLastOpenOrSend) {
  RunApp([&] {
    // Before any open: port 0 and the message for 0.
    Click(IDC_BUTTON_CLOSE);
    EXPECT_EQ(serial.Calls("Close_Com").back().args, Args{0});
    EXPECT_EQ(Text(IDC_EDIT_STATUS), fake::MessageFor(0));

    // After a failed open of COM3: port 3, and the failure's message again.
    Pick(IDC_COMBO_PORT, 2);
    serial.script.openResults = {12};
    Click(IDC_BUTTON_OPEN);
    EXPECT_EQ(g_terminalState.portNumber, 3);
    Click(IDC_BUTTON_CLOSE);
    EXPECT_EQ(serial.Calls("Close_Com").back().args, Args{3});
    EXPECT_EQ(Text(IDC_EDIT_STATUS), fake::MessageFor(12));

    // After a failed send: the send's message.
    serial.script.sendResults = {21};
    Click(IDC_BUTTON_SEND);
    Click(IDC_BUTTON_CLOSE);
    EXPECT_EQ(Text(IDC_EDIT_STATUS), fake::MessageFor(21));
    EXPECT_EQ(g_terminalState.lastResult, 21u);
  });
}

TEST_F(CPortTest, TypedSettingsOpenWithTheirValuesOrSayWhatToChoose) {
  RunApp([&] {
    Type(IDC_COMBO_PORT, u" com7 ");
    Type(IDC_COMBO_BAUD, u"250000");
    Type(IDC_COMBO_DATABITS, u"6");
    Click(IDC_BUTTON_OPEN);
    EXPECT_EQ(serial.Calls("Open_Com").back().args, (Args{7, 250000, 6, 0, 0}));
    EXPECT_EQ(g_terminalState.portNumber, 7);

    // Parity and stop bits without a selection pass -1 to the library.
    Type(IDC_COMBO_PARITY, u"odd");
    Type(IDC_COMBO_STOPBITS, u"");
    Click(IDC_BUTTON_OPEN);
    EXPECT_EQ(serial.Calls("Open_Com").back().args, (Args{7, 250000, 6, -1, -1}));

    struct CRefusal {
      int id;
      const char16_t* typed;
      const char16_t* status;
    };
    const CRefusal refusals[] = {
        {IDC_COMBO_PORT, u"COM11", u"Choose a COM port from the list or type one, COM1 to COM10"},
        {IDC_COMBO_PORT, u"COM0", u"Choose a COM port from the list or type one, COM1 to COM10"},
        {IDC_COMBO_BAUD, u"fast", u"Choose a baud rate from the list or type one in bits per second"},
        {IDC_COMBO_BAUD, u"0", u"Choose a baud rate from the list or type one in bits per second"},
        {IDC_COMBO_BAUD, u"99999999999", u"Choose a baud rate from the list or type one in bits per second"},
        {IDC_COMBO_DATABITS, u"9", u"Choose data bits from the list or type 5, 6, 7 or 8"},
    };
    for (const auto& refusal : refusals) {
      Pick(IDC_COMBO_PORT, 0);
      Pick(IDC_COMBO_BAUD, 6);
      Pick(IDC_COMBO_DATABITS, 3);
      Type(refusal.id, refusal.typed);
      g_terminalState.lastResult = 42;
      size_t nOpens = serial.Count("Open_Com");
      Click(IDC_BUTTON_OPEN);
      EXPECT_EQ(serial.Count("Open_Com"), nOpens);
      EXPECT_EQ(Text(IDC_EDIT_STATUS), refusal.status);
      EXPECT_EQ(g_terminalState.lastResult, 42u);
    }
    // A port that cannot be read leaves the port number at the selection plus one.
    EXPECT_EQ(g_terminalState.portNumber, 1);
    Type(IDC_COMBO_PORT, u"USB");
    Click(IDC_BUTTON_OPEN);
    EXPECT_EQ(g_terminalState.portNumber, 0);
  });
}

}  // namespace
