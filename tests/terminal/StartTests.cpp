// The dialog's template, its start state, its routing table and how it ends.
#include <gtest/gtest.h>

#include "Dialog.h"
#include "TerminalApp.h"
#include "TerminalHarness.h"
#include "TerminalState.h"
#include "Timer.h"
#include "UserInput.h"
#include "Window.h"
#include "resource.h"

namespace {

struct CExpectedControl {
  int id;
  WindowClass cls;
  const char16_t* caption;
  RECT dlu;  // x, y, x + w, y + h
  bool bVisible;
};

constexpr auto kList = WindowClass::ComboBox, kButton = WindowClass::Button, kLabel = WindowClass::Static,
               kEdit = WindowClass::Edit;

const CExpectedControl kControls[] = {
    {1000, kList, u"COM1", {18, 23, 68, 124}, true},
    {1001, kList, u"115200", {70, 23, 120, 124}, true},
    {-1, kLabel, u"Parity:", {18, 36, 44, 47}, true},
    {1002, kList, u"Non Parity", {18, 47, 69, 148}, true},
    {1003, kList, u"8", {70, 47, 93, 148}, true},
    {1004, kList, u"1    Stop Bit", {94, 47, 144, 97}, true},
    {1010, kButton, u"Open Com", {18, 62, 81, 75}, true},
    {1011, kButton, u"Close Com", {82, 62, 143, 75}, true},
    {1012, kEdit, u"", {6, 252, 274, 269}, true},
    {1013, kEdit, u"$00M", {163, 73, 266, 89}, true},
    {1014, kButton, u"Send", {164, 92, 266, 105}, true},
    {-1, kLabel, u"iKestra Slot On:", {165, 10, 209, 21}, true},
    {1015, kList, u"SLOT 7", {163, 22, 225, 123}, true},
    {1016, kEdit, u"", {152, 136, 268, 233}, true},
    {1017, kEdit, u"", {14, 136, 143, 232}, true},
    {1018, kButton, u"Clear Receive", {152, 236, 267, 249}, true},
    {1019, kButton, u"Clear Send", {15, 236, 142, 249}, true},
    {1020, kList, u"CR", {163, 49, 260, 136}, true},
    {-1, kLabel, u"Send String With:", {165, 38, 232, 49}, true},
    {-1, kLabel, u"Data Bit:", {62, 36, 99, 47}, true},
    {-1, kLabel, u"Stop Bit:", {100, 37, 137, 48}, true},
    {-1, kLabel, u"COM Port:", {20, 10, 67, 21}, true},
    {-1, kLabel, u"Baudrate:", {71, 10, 118, 21}, true},
    {-1, kLabel, u"Send String:", {164, 64, 231, 75}, true},
    {-1, kLabel, u"Send String Record:", {17, 125, 83, 136}, true},
    {-1, kLabel, u"Receive String Record:", {151, 124, 244, 135}, true},
    {-1, kLabel, u"Interval:", {24, 89, 54, 100}, true},
    {1021, kEdit, u"100", {54, 87, 103, 101}, true},
    {1022, kButton, u"Set", {105, 87, 142, 100}, true},
    {1023, kButton, u"Start Auto", {22, 105, 81, 118}, true},
    {1024, kButton, u"Stop Auto", {87, 105, 143, 118}, true},
    {-1, kButton, u"Auto Send", {16, 78, 146, 123}, true},
    {1025, kList, u"Non", {232, 111, 267, 198}, true},
    {-1, kLabel, u"Delet Recive String tail:", {154, 112, 232, 123}, true},
    {1026, kButton, u"ScanKes", {238, 28, 274, 42}, false},
    {1027, kButton, u"Button1", {113, 15, 163, 26}, false},
};

std::vector<std::u16string> Items(HWND hCombo) {
  std::vector<std::u16string> items;
  auto n = SendMessage(hCombo, CB_GETCOUNT, 0, 0);
  for (int i = 0; i < n; ++i) items.push_back(GetComboItemText(hCombo, i));
  return items;
}

using CStartTest = CTerminalHarness;

TEST_F(CStartTest, TemplateHasItsControlsInTabOrderWithStylesAndContents) {
  RunApp([&] {
    EXPECT_EQ(GetWindowText(m_hDlg), u"Quorvel V 1.2 Serial ");
    EXPECT_EQ(GetDialogUnitRect(m_hDlg), (RECT{0, 0, 282, 276}));
    DWORD style = GetWindowStyle(m_hDlg);
    for (DWORD s : {WS_POPUP, WS_VISIBLE, WS_CAPTION, WS_SYSMENU, DS_MODALFRAME}) EXPECT_TRUE(style & s);
    EXPECT_TRUE(GetWindowExStyle(m_hDlg) & WS_EX_CAPTIONOKBTN);
    EXPECT_TRUE(GetWindowExStyle(m_hDlg) & WS_EX_APPWINDOW);

    const auto& children = GetChildren(m_hDlg);
    ASSERT_EQ(children.size(), std::size(kControls));
    SIZE base = win::GetDialogBaseUnits(u"System", 8);
    for (size_t i = 0; i < children.size(); ++i) {
      SCOPED_TRACE(testing::Message() << "control " << i + 1);
      HWND h = children[i];
      const auto& want = kControls[i];
      EXPECT_EQ(GetDlgCtrlID(h), want.id);
      EXPECT_EQ(GetWindowClass(h), want.cls);
      EXPECT_EQ(GetWindowText(h), want.caption);
      EXPECT_EQ(GetDialogUnitRect(h), want.dlu);
      EXPECT_EQ(GetWindowRect(h), win::MapDialogRect(want.dlu, base));
      EXPECT_EQ(IsWindowVisible(h), want.bVisible);
      DWORD s = GetWindowStyle(h);
      bool bGroupBox = want.cls == kButton && (s & BS_TYPEMASK) == BS_GROUPBOX;
      EXPECT_EQ((s & WS_TABSTOP) != 0, want.cls != kLabel && !bGroupBox);
      if (want.cls == kLabel) {
        EXPECT_TRUE(s & WS_GROUP);
      }
      if (want.cls == kList) {
        EXPECT_TRUE((s & CBS_DROPDOWN) && (s & WS_VSCROLL) && !(s & CBS_SORT));
      }
      if (want.cls == kButton && !bGroupBox) {
        EXPECT_EQ(s & BS_TYPEMASK, BS_PUSHBUTTON);
      }
      if (want.cls == kEdit) {
        EXPECT_TRUE(s & WS_BORDER);
        EXPECT_FALSE(s & ES_READONLY);
        bool bRecord = want.id == 1016 || want.id == 1017;
        EXPECT_EQ((s & ES_MULTILINE) != 0, bRecord);
        EXPECT_EQ((s & WS_VSCROLL) != 0, bRecord);
        EXPECT_EQ((s & ES_AUTOHSCROLL) != 0, !bRecord);
        EXPECT_FALSE(s & ES_AUTOVSCROLL);
      }
    }

    using L = std::vector<std::u16string>;
    EXPECT_EQ(Items(Item(1000)),
              (L{u"COM1", u"COM2", u"COM3", u"COM4", u"COM5", u"COM6", u"COM7", u"COM8", u"COM9", u"COM10"}));
    EXPECT_EQ(Items(Item(1001)),
              (L{u"2400", u"4800", u"9600", u"19200", u"38400", u"57600", u"115200", u"230400", u"460800", u"921600"}));
    EXPECT_EQ(Items(Item(1002)), (L{u"Non Parity", u"Odd Parity", u"Even Parity", u"Space Parity"}));
    EXPECT_EQ(Items(Item(1003)), (L{u"5", u"6", u"7", u"8"}));
    EXPECT_EQ(Items(Item(1004)), (L{u"1    Stop Bit", u"1.5 Stop Bit", u"2    Stop Bit"}));
    EXPECT_EQ(Items(Item(1015)), (L{u"SLOT 1", u"SLOT 2", u"SLOT 3", u"SLOT 4", u"SLOT 5", u"SLOT 6", u"SLOT 7", u""}));
    EXPECT_EQ(Items(Item(1020)), (L{u"Non", u"CR", u"LF", u"LF_CR", u"CR_LF"}));
    EXPECT_EQ(Items(Item(1025)), (L{u"Non", u"1", u"2"}));
  });
}

TEST_F(CStartTest, StartsWithItsSelectionsTextsIconsAndSlotSevenAndNothingOpen) {
  RunApp([&] {
    EXPECT_EQ(Selection(IDC_COMBO_PORT), 0);
    EXPECT_EQ(Text(IDC_COMBO_PORT), u"COM1");
    EXPECT_EQ(Text(IDC_COMBO_BAUD), u"115200");
    EXPECT_EQ(Text(IDC_COMBO_DATABITS), u"8");
    EXPECT_EQ(Text(IDC_COMBO_PARITY), u"Non Parity");
    EXPECT_EQ(Text(IDC_COMBO_STOPBITS), u"1    Stop Bit");
    EXPECT_EQ(Text(IDC_COMBO_TERMINATOR), u"CR");
    EXPECT_EQ(Text(IDC_COMBO_TAIL), u"Non");
    EXPECT_EQ(Selection(IDC_COMBO_SLOT), 6);
    EXPECT_EQ(Text(IDC_EDIT_SEND), u"$00M");
    EXPECT_EQ(Text(IDC_EDIT_INTERVAL), u"100");
    EXPECT_EQ(Text(IDC_EDIT_STATUS), u"");
    EXPECT_EQ(Text(IDC_EDIT_RECEIVE_RECORD), u"");
    EXPECT_EQ(Text(IDC_EDIT_SEND_RECORD), u"");

    HICON hIcon = LoadIcon(IDR_MAINFRAME);
    ASSERT_NE(hIcon, nullptr);
    EXPECT_EQ(GetWindowIcon(m_hDlg, ICON_BIG), hIcon);
    EXPECT_EQ(GetWindowIcon(m_hDlg, ICON_SMALL), hIcon);
    ASSERT_EQ(hIcon->images.size(), 2u);
    EXPECT_EQ(hIcon->images[0].width, 32);
    EXPECT_EQ(hIcon->images[1].width, 16);

    RECT r = GetWindowRect(m_hDlg);
    SIZE desk = GetDesktopSize();
    EXPECT_EQ(r.left, (desk.cx - (r.right - r.left)) / 2);
    EXPECT_EQ(r.top, (desk.cy - (r.bottom - r.top)) / 2);

    EXPECT_EQ(GetFocus(), Item(IDC_COMBO_PORT));
    EXPECT_EQ(fake::Sdk().slots, std::vector<uint8_t>{7});
    EXPECT_EQ(serial.Count("Open_Com"), 0u);
    EXPECT_EQ(serial.calls.size(), 0u);
    EXPECT_FALSE(win::GetTimerPeriod(m_hDlg, 1));
    EXPECT_FALSE(win::GetTimerPeriod(m_hDlg, 2));
    EXPECT_FALSE(win::NextTimerDue());
    EXPECT_EQ(theApp.m_pMainWnd->m_hWnd, m_hDlg);
    EXPECT_EQ(theApp.GetDialogBkColor(), 0x00A4C1FFu);
    EXPECT_EQ(theApp.GetDialogTextColor(), 0u);
  });
}

TEST_F(CStartTest, EveryRowOfTheRoutingTableReachesItsHandler) {
  RunApp([&] {
    // Each click shows its handler's work in the fake's calls or on the screen.
    serial.script.sendResults = {5};
    Click(IDC_BUTTON_SEND);
    EXPECT_EQ(serial.Count("Send_Binary"), 1u);
    Click(IDC_BUTTON_OPEN);
    EXPECT_EQ(serial.Count("Open_Com"), 1u);
    Click(IDC_BUTTON_CLOSE);
    EXPECT_EQ(serial.Count("Close_Com"), 1u);

    serial.Arrive("in");
    Advance(50);
    EXPECT_EQ(Text(IDC_EDIT_RECEIVE_RECORD), u"in");
    Click(IDC_BUTTON_CLEAR_RECEIVE);
    EXPECT_EQ(Text(IDC_EDIT_RECEIVE_RECORD), u"");

    Click(IDC_BUTTON_SEND);
    EXPECT_EQ(Text(IDC_EDIT_SEND_RECORD), u"$00M");
    Click(IDC_BUTTON_CLEAR_SEND);
    EXPECT_EQ(Text(IDC_EDIT_SEND_RECORD), u"");

    Type(IDC_EDIT_INTERVAL, u"300");
    Click(IDC_BUTTON_SET);
    EXPECT_EQ(g_terminalState.autoSendInterval, 300);
    Click(IDC_BUTTON_START_AUTO);
    EXPECT_EQ(win::GetTimerPeriod(m_hDlg, 2), 300u);
    size_t nSends = serial.Count("Send_Binary");
    Advance(300);
    EXPECT_EQ(serial.Count("Send_Binary"), nSends + 1);
    Click(IDC_BUTTON_STOP_AUTO);
    EXPECT_FALSE(win::GetTimerPeriod(m_hDlg, 2));

    Pick(IDC_COMBO_SLOT, 2);
    EXPECT_EQ(fake::Sdk().slots.back(), 3);

    // The hidden buttons are reached by their command alone.
    EXPECT_FALSE(Click(IDC_BUTTON_SCAN));
    SendMessage(m_hDlg, WM_COMMAND, MAKEWPARAM(IDC_BUTTON_SCAN, BN_CLICKED), 0);
    EXPECT_EQ(serial.Count("Send_Receive_Cmd"), 1u);
    SendMessage(m_hDlg, WM_COMMAND, MAKEWPARAM(IDC_BUTTON_NAME_QUERY, BN_CLICKED), 0);
    EXPECT_EQ(serial.Count("Send_Cmd"), 1u);
    EXPECT_EQ(serial.Count("Receive_Cmd"), 1u);

    // Another notification code of a routed id, and a timer of another id,
    // reach no handler.
    size_t nCalls = serial.calls.size();
    SendMessage(m_hDlg, WM_COMMAND, MAKEWPARAM(IDC_BUTTON_OPEN, CBN_SELCHANGE), 0);
    SendMessage(m_hDlg, WM_TIMER, 3, 0);
    SendMessage(m_hDlg, WM_COMMAND, MAKEWPARAM(IDC_COMBO_PORT, CBN_SELCHANGE), 0);
    EXPECT_EQ(serial.calls.size(), nCalls);
    EXPECT_EQ(fake::Sdk().slots.size(), 2u);
    // Timer 1 polls, timer 2 sends.
    size_t nPolls = serial.Count("DataSizeInCom");
    SendMessage(m_hDlg, WM_TIMER, 1, 0);
    EXPECT_EQ(serial.Count("DataSizeInCom"), nPolls + 1);
    SendMessage(m_hDlg, WM_TIMER, 2, 0);
    EXPECT_EQ(serial.Count("Send_Binary"), nSends + 2);
  });
}

TEST_F(CStartTest, OkCancelEnterEscapeAndCloseEndTheRunWithoutClosingThePort) {
  struct CEnding {
    const char* name;
    std::function<void(HWND)> end;
    int nResult;
  };
  const CEnding endings[] = {
      {"caption OK", [](HWND h) { win::input::CaptionOk(h); }, IDOK},
      {"close", [](HWND h) { win::input::Close(h); }, IDCANCEL},
      {"Enter",
       [](HWND h) {
         win::input::Focus(GetDlgItem(h, IDC_EDIT_SEND));
         win::input::PressKey(h, VK_RETURN);
       },
       IDOK},
      {"Escape", [](HWND h) { win::input::PressKey(h, VK_ESCAPE); }, IDCANCEL},
      {"OK command", [](HWND h) { SendMessage(h, WM_COMMAND, IDOK, 0); }, IDOK},
      {"Cancel command", [](HWND h) { SendMessage(h, WM_COMMAND, IDCANCEL, 0); }, IDCANCEL},
  };
  for (const auto& ending : endings) {
    SCOPED_TRACE(ending.name);
    serial.Reset();
    int nResult = RunDialog([&] {
      Click(IDC_BUTTON_OPEN);
      ending.end(m_hDlg);
      EXPECT_TRUE(IsDialogEnded(m_hDlg));
    });
    EXPECT_EQ(nResult, ending.nResult);
    EXPECT_EQ(serial.Count("Open_Com"), 1u);
    EXPECT_EQ(serial.Count("Close_Com"), 0u);
    // The timers ended with the window.
    EXPECT_FALSE(win::NextTimerDue());
  }
  RunApp([&] { win::input::CaptionOk(m_hDlg); });
  EXPECT_EQ(serial.Count("Close_Com"), 0u);
}

TEST_F(CStartTest, TabMovesThroughVisibleTabStopsAndSkipsTheHiddenButtons) {
  RunApp([&] {
    std::vector<int> order;
    HWND hFirst = GetFocus();
    do {
      order.push_back(GetDlgCtrlID(GetFocus()));
      win::input::PressKey(m_hDlg, VK_TAB);
    } while (GetFocus() != hFirst && order.size() < 40);
    EXPECT_EQ(order, (std::vector<int>{1000, 1001, 1002, 1003, 1004, 1010, 1011, 1012, 1013, 1014, 1015,
                                       1016, 1017, 1018, 1019, 1020, 1021, 1022, 1023, 1024, 1025}));
    win::input::PressKey(m_hDlg, VK_TAB, win::input::kShift);
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), 1025);
  });
}

TEST_F(CStartTest, EnterOnAFocusedPushButtonClicksItInsteadOfEndingTheRun) {
  int nResult = RunDialog([&] {
    win::input::Focus(Item(IDC_BUTTON_SEND));
    win::input::PressKey(m_hDlg, VK_RETURN);
    EXPECT_FALSE(IsDialogEnded(m_hDlg));
    EXPECT_EQ(serial.Count("Send_Binary"), 1u);
    EXPECT_EQ(Text(IDC_EDIT_SEND_RECORD), u"$00M");
  });
  EXPECT_EQ(nResult, IDABORT);
}

TEST_F(CStartTest, ARefreshReplacesWhatWasTypedIntoTheStatusAndRecordBoxes) {
  RunApp([&] {
    Type(IDC_EDIT_STATUS, u"typed");
    Type(IDC_EDIT_RECEIVE_RECORD, u"typed");
    Type(IDC_EDIT_SEND_RECORD, u"typed");
    serial.Arrive("ok");
    Click(IDC_BUTTON_OPEN);
    Advance(50);
    EXPECT_EQ(Text(IDC_EDIT_STATUS), fake::MessageFor(0));
    EXPECT_EQ(Text(IDC_EDIT_RECEIVE_RECORD), u"ok");
    EXPECT_EQ(Text(IDC_EDIT_SEND_RECORD), u"");
  });
}

}  // namespace

namespace {

using CEndTest = CTerminalHarness;

TEST_F(CEndTest, EnterAndEscapeAskWhileARecordHoldsTextAndNoKeepsEverything) {
  int nBoxes = 0;
  bool bYes = false;
  AnswerBoxes([&](HWND hBox) {
    ++nBoxes;
    EXPECT_EQ(GetWindowText(hBox), u"Quorvel");
    EXPECT_EQ(BoxText(hBox), u"End the terminal? The send and receive records will be lost.");
    EXPECT_EQ(BoxButtons(hBox), (std::vector<std::u16string>{u"&Yes", u"&No"}));
    // The dialog takes nothing while the box is up.
    EXPECT_FALSE(Click(IDC_BUTTON_SEND));
    if (bYes) {
      EXPECT_TRUE(ClickBoxButton(hBox, u"&Yes"));
    } else if (nBoxes == 1) {
      EXPECT_TRUE(ClickBoxButton(hBox, u"&No"));
    } else if (nBoxes == 2) {
      win::input::PressKey(hBox, VK_ESCAPE);
    } else {
      // No is the default: Enter keeps the session.
      win::input::PressKey(hBox, VK_RETURN);
    }
  });
  int nResult = RunDialog([&] {
    Click(IDC_BUTTON_OPEN);
    Click(IDC_BUTTON_SEND);
    win::input::Focus(Item(IDC_EDIT_SEND));
    win::input::PressKey(m_hDlg, VK_RETURN);
    win::input::PressKey(m_hDlg, VK_ESCAPE);
    win::input::PressKey(m_hDlg, VK_RETURN);
    EXPECT_EQ(nBoxes, 3);
    EXPECT_FALSE(IsDialogEnded(m_hDlg));
    EXPECT_EQ(Text(IDC_EDIT_SEND_RECORD), u"$00M");
    EXPECT_EQ(GetFocus(), Item(IDC_EDIT_SEND));
    bYes = true;
    win::input::PressKey(m_hDlg, VK_ESCAPE);
    EXPECT_TRUE(IsDialogEnded(m_hDlg));
  });
  EXPECT_EQ(nResult, IDCANCEL);
  EXPECT_EQ(nBoxes, 4);

  // The caption's close ends at once, records or not.
  nResult = RunDialog([&] {
    Click(IDC_BUTTON_SEND);
    win::input::Close(m_hDlg);
  });
  EXPECT_EQ(nResult, IDCANCEL);
  EXPECT_EQ(nBoxes, 4);
}

}  // namespace
