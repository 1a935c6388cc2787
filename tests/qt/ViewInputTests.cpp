// A person's clicks, picks, typing and keys reach the handlers through the
// window system's user input.
#include <signal.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "Dialog.h"
#include "FakeViewTest.h"
#include "RecordWindow.h"
#include "Window.h"
#include "resource.h"

namespace {

using CViewInputTest = CFakeViewTest;

TEST_F(CViewInputTest, PickingPortAndBaudRateAndClickingOpenComOpensThatPort) {
  RunApp([&] {
    PickItem(IDC_COMBO_PORT, 2);
    PickItem(IDC_COMBO_BAUD, 2);
    EXPECT_EQ(Selection(IDC_COMBO_PORT), 2);
    EXPECT_EQ(Text(IDC_COMBO_PORT), u"COM3");
    EXPECT_EQ(Text(IDC_COMBO_BAUD), u"9600");
    ClickButton(IDC_BUTTON_OPEN);
    auto calls = serial.Calls("Open_Com");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].args, (std::vector<int64_t>{3, 9600, 8, 0, 0}));
    EXPECT_EQ(Widget<QLineEdit>(IDC_EDIT_STATUS)->text().toStdU16String(), fake::MessageFor(0));
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), IDC_BUTTON_OPEN);
  });
}

TEST_F(CViewInputTest, PickingASlotSwitchesItAndASelectionByCodeStaysSilent) {
  RunApp([&] {
    PickItem(IDC_COMBO_SLOT, 2);
    EXPECT_EQ(fake::Sdk().slots, (std::vector<uint8_t>{7, 3}));
    SendMessage(Item(IDC_COMBO_SLOT), CB_SETCURSEL, 4, 0);
    EXPECT_EQ(Widget<QComboBox>(IDC_COMBO_SLOT)->currentIndex(), 4);
    EXPECT_EQ(Widget<QComboBox>(IDC_COMBO_SLOT)->currentText(), QStringLiteral("SLOT 5"));
    EXPECT_EQ(fake::Sdk().slots.size(), 2u);
  });
}

TEST_F(CViewInputTest, TypedTextIsWhatSendSends) {
  RunApp([&] {
    ClickButton(IDC_BUTTON_OPEN);
    serial.calls.clear();
    auto* pEdit = Widget<QLineEdit>(IDC_EDIT_SEND);
    TypeInto(pEdit, QStringLiteral("hello"));
    EXPECT_EQ(Text(IDC_EDIT_SEND), u"hello");
    EXPECT_EQ(pEdit->text(), QStringLiteral("hello"));
    EXPECT_EQ(pEdit->cursorPosition(), 5);
    ClickButton(IDC_BUTTON_SEND);
    auto calls = serial.Calls("Send_Binary");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].bytes, (std::vector<uint8_t>{'h', 'e', 'l', 'l', 'o', '\r'}));
    EXPECT_EQ(Widget<qtview::CRecordWindow>(IDC_EDIT_SEND_RECORD)->VisibleRows(), QStringList{QStringLiteral("hello")});
  });
}

TEST_F(CViewInputTest, TypingInAListsFieldLeavesItWithoutASelectionAndAddsNoItem) {
  RunApp([&] {
    auto* pCombo = Widget<QComboBox>(IDC_COMBO_BAUD);
    TypeInto(pCombo->lineEdit(), QStringLiteral("1234"));
    EXPECT_EQ(Text(IDC_COMBO_BAUD), u"1234");
    EXPECT_EQ(Selection(IDC_COMBO_BAUD), -1);
    EXPECT_EQ(pCombo->lineEdit()->text(), QStringLiteral("1234"));
    EXPECT_EQ(pCombo->lineEdit()->cursorPosition(), 4);
    QTest::keyClick(pCombo, Qt::Key_Tab);
    EXPECT_EQ(pCombo->count(), 10);
    EXPECT_EQ(Selection(IDC_COMBO_BAUD), -1);

    // Typing an item's text does not pick it either.
    TypeInto(pCombo->lineEdit(), QStringLiteral("9600"));
    QTest::keyClick(pCombo, Qt::Key_Tab);
    EXPECT_EQ(Selection(IDC_COMBO_BAUD), -1);
    EXPECT_EQ(Text(IDC_COMBO_BAUD), u"9600");
  });
}

TEST_F(CViewInputTest, EnterGivesOkEvenInARecordBoxAndEscapeGivesCancel) {
  int nResult = RunDialog([&] {
    auto* pRecord = Widget<qtview::CRecordWindow>(IDC_EDIT_RECEIVE_RECORD);
    QTest::keyClick(pRecord, Qt::Key_Return);
    EXPECT_EQ(pRecord->VisibleRows(), QStringList{QString()});
  });
  EXPECT_EQ(nResult, IDOK);
  nResult = RunDialog([&] { QTest::keyClick(Widget<QLineEdit>(IDC_EDIT_SEND), Qt::Key_Enter); });
  EXPECT_EQ(nResult, IDOK);
  nResult = RunDialog([&] { QTest::keyClick(Widget<QComboBox>(IDC_COMBO_PORT), Qt::Key_Escape); });
  EXPECT_EQ(nResult, IDCANCEL);
}

TEST_F(CViewInputTest, ClosingTheWindowGivesCancelAndRemovesTheWidgets) {
  QPointer<QWidget> pDialog;
  int nResult = RunDialog([&] {
    pDialog = Dialog();
    ClickButton(IDC_BUTTON_OPEN);
    EXPECT_FALSE(Dialog()->close());
  });
  EXPECT_EQ(nResult, IDCANCEL);
  EXPECT_TRUE(pDialog.isNull());
  EXPECT_EQ(serial.Count("Close_Com"), 0u);
}

TEST_F(CViewInputTest, AClickOnAFieldMovesTheWindowSystemsFocus) {
  RunApp([&] {
    QTest::mouseClick(Widget<QLineEdit>(IDC_EDIT_INTERVAL), Qt::LeftButton);
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), IDC_EDIT_INTERVAL);
    QTest::keyClick(Dialog()->focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), IDC_BUTTON_SET);
    EXPECT_EQ(IdOf(Dialog()->focusWidget()), IDC_BUTTON_SET);
  });
}

TEST_F(CViewInputTest, TabSelectsAFieldsTextAndTheFieldShowsTheEditBoxsRules) {
  RunApp([&] {
    auto* pInterval = Widget<QLineEdit>(IDC_EDIT_INTERVAL);
    QTest::mouseClick(pInterval, Qt::LeftButton, {}, QPoint(2, pInterval->height() / 2));
    EXPECT_FALSE(pInterval->hasSelectedText());
    QTest::keyClick(Dialog()->focusWidget(), Qt::Key_Tab);
    QTest::keyClick(Dialog()->focusWidget(), Qt::Key_Backtab);
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), IDC_EDIT_INTERVAL);
    EXPECT_EQ(pInterval->selectedText(), QStringLiteral("100"));
    QTest::keyClick(pInterval, Qt::Key_Left);
    EXPECT_FALSE(pInterval->hasSelectedText());
    EXPECT_EQ(pInterval->cursorPosition(), 0);
    QTest::keyClick(pInterval, Qt::Key_End, Qt::ShiftModifier);
    EXPECT_EQ(pInterval->selectedText(), QStringLiteral("100"));
    QTest::keyClick(pInterval, Qt::Key_Right);
    EXPECT_EQ(pInterval->cursorPosition(), 3);
    QTest::keyClicks(pInterval, "0");
    EXPECT_EQ(Text(IDC_EDIT_INTERVAL), u"1000");
    EXPECT_EQ(pInterval->text(), QStringLiteral("1000"));
  });
}

TEST_F(CViewInputTest, ChangesMadeByCodeReachTheWidgetsWithoutComingBack) {
  RunApp([&] {
    SetWindowText(Item(IDC_EDIT_SEND), u"abc");
    EXPECT_EQ(Widget<QLineEdit>(IDC_EDIT_SEND)->text(), QStringLiteral("abc"));
    EnableWindow(Item(IDC_BUTTON_OPEN), false);
    EXPECT_FALSE(m_pView->Widget(Item(IDC_BUTTON_OPEN))->isEnabled());
    ClickButton(IDC_BUTTON_OPEN);
    EXPECT_EQ(serial.Count("Open_Com"), 0u);
    EnableWindow(Item(IDC_BUTTON_OPEN), true);

    ShowWindow(Item(IDC_BUTTON_SCAN), true);
    QWidget* pScan = m_pView->Widget(Item(IDC_BUTTON_SCAN));
    EXPECT_TRUE(pScan->isVisible());
    EXPECT_EQ(pScan->focusPolicy(), Qt::StrongFocus);
    ShowWindow(Item(IDC_BUTTON_SCAN), false);
    EXPECT_FALSE(pScan->isVisible());
    EXPECT_EQ(pScan->focusPolicy(), Qt::NoFocus);

    // Text set by code is no person's edit: the slot list hears nothing.
    SetWindowText(Item(IDC_COMBO_SLOT), u"SLOT 2");
    EXPECT_EQ(Widget<QComboBox>(IDC_COMBO_SLOT)->currentText(), QStringLiteral("SLOT 2"));
    EXPECT_EQ(Selection(IDC_COMBO_SLOT), 6);
    EXPECT_EQ(fake::Sdk().slots.size(), 1u);
    EXPECT_EQ(serial.calls.size(), 0u);
  });
}

}  // namespace

namespace {

using CViewBoxTest = CFakeViewTest;

TEST_F(CViewBoxTest, EnterWithARecordShowsTheBoxAsAWindowAndItsButtonsAnswer) {
  int nResult = RunDialog([&] {
    ClickButton(IDC_BUTTON_SEND);
    auto* pSend = Widget<QLineEdit>(IDC_EDIT_SEND);
    // Back in the field, as after typing a command: Enter on the button would click it again.
    QTest::mouseClick(pSend, Qt::LeftButton);
    bool bAnswered = false;
    // The box runs its own loop inside the key press; answer it from there.
    QTimer::singleShot(0, [&] {
      HWND hBox = GetParent(GetFocus());
      QWidget* pBox = m_pView->Widget(hBox);
      ASSERT_NE(pBox, nullptr);
      EXPECT_TRUE(pBox->isVisible());
      EXPECT_EQ(pBox->windowTitle(), QStringLiteral("Quorvel"));
      EXPECT_FALSE(Dialog()->isEnabled());
      QPushButton* pNo = nullptr;
      for (HWND h : GetChildren(hBox))
        if (GetWindowText(h) == u"No") pNo = dynamic_cast<QPushButton*>(m_pView->Widget(h));
      ASSERT_NE(pNo, nullptr);
      QTest::mouseClick(pNo, Qt::LeftButton);
      bAnswered = true;
    });
    QTest::keyClick(pSend, Qt::Key_Return);
    EXPECT_TRUE(bAnswered);
    EXPECT_TRUE(Dialog()->isEnabled());
    EXPECT_EQ(Widget<qtview::CRecordWindow>(IDC_EDIT_SEND_RECORD)->VisibleRows(), QStringList{QStringLiteral("$00M")});
    // Escape in the box is No as well.
    QTimer::singleShot(0, [&] { QTest::keyClick(m_pView->Widget(GetFocus()), Qt::Key_Escape); });
    QTest::keyClick(pSend, Qt::Key_Escape);
    EXPECT_FALSE(IsDialogEnded(m_hDlg));
    EXPECT_FALSE(Dialog()->close());
  });
  EXPECT_EQ(nResult, IDCANCEL);
}

TEST_F(CViewBoxTest, ASignalWhileTheBoxAsksEndsTheBoxAndTheDialogUnanswered) {
  int nResult = RunDialog([&] {
    ClickButton(IDC_BUTTON_SEND);
    auto* pSend = Widget<QLineEdit>(IDC_EDIT_SEND);
    QTest::mouseClick(pSend, Qt::LeftButton);
    HWND hBox = nullptr;
    QTimer::singleShot(0, [&] {
      hBox = GetParent(GetFocus());
      raise(SIGTERM);
    });
    QTest::keyClick(pSend, Qt::Key_Return);
    ASSERT_NE(hBox, nullptr);
    ASSERT_NE(hBox, m_hDlg);
    EXPECT_TRUE(IsDialogEnded(m_hDlg));
    EXPECT_EQ(m_pView->EndingSignal(), SIGTERM);
  });
  EXPECT_EQ(nResult, IDCANCEL);
}

}  // namespace
