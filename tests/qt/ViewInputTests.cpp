// A person's clicks, picks, typing and keys reach the handlers through the
// window system's user input.
#include <signal.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QImage>
#include <QKeySequence>
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

TEST_F(CViewInputTest, APasteLongerThanTheToolkitsLineLimitIsHeldAndSentWhole) {
  RunApp([&] {
    ClickButton(IDC_BUTTON_OPEN);
    serial.calls.clear();
    const QString text(100000, QLatin1Char('z'));
    QApplication::clipboard()->setText(text);
    auto* pEdit = Widget<QLineEdit>(IDC_EDIT_SEND);
    QTest::mouseClick(pEdit, Qt::LeftButton);
    QTest::keyClick(pEdit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(pEdit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Text(IDC_EDIT_SEND).size(), 100000u);
    EXPECT_EQ(pEdit->text().size(), 100000);
    ClickButton(IDC_BUTTON_SEND);
    size_t nBytes = 0;
    for (const auto& call : serial.Calls("Send_Binary")) nBytes += call.bytes.size();
    EXPECT_EQ(nBytes, 100001u);
    EXPECT_EQ(pEdit->text().size(), 100000);
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
        if (GetWindowText(h) == u"&No") pNo = dynamic_cast<QPushButton*>(m_pView->Widget(h));
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

// What a record's viewport shows of its text: the pixels that differ from
// its empty bottom-right corner, and the darkest of them.
struct CInk {
  int nPixels = 0;
  int nDarkest = 255;
};
CInk InkOf(QWidget* pViewport) {
  const QImage image = pViewport->grab().toImage();
  const QRgb empty = image.pixel(image.width() - 3, image.height() - 3);
  CInk ink;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (const QRgb pixel = image.pixel(x, y); pixel != empty) {
        ++ink.nPixels;
        ink.nDarkest = std::min(ink.nDarkest, qGray(pixel));
      }
  return ink;
}

TEST_F(CViewBoxTest, YAndNWithAltOrWithoutAnswerTheBoxWhileTheRecordsShowGreyedBehindIt) {
  struct CAnswer {
    Qt::Key askKey;
    Qt::Key answerKey;
    Qt::KeyboardModifiers modifiers;
  };
  const auto run = [&](std::initializer_list<CAnswer> answers) {
    return RunDialog([&] {
      ClickButton(IDC_BUTTON_OPEN);
      const std::string strReceived = "$00M answered\r\n";
      serial.Arrive(std::vector<uint8_t>(strReceived.begin(), strReceived.end()));
      Advance(50);
      ClickButton(IDC_BUTTON_SEND);
      auto* pSend = Widget<QLineEdit>(IDC_EDIT_SEND);
      QTest::mouseClick(pSend, Qt::LeftButton);
      std::vector<QWidget*> records;
      std::vector<CInk> before;
      for (int id : {IDC_EDIT_RECEIVE_RECORD, IDC_EDIT_SEND_RECORD}) {
        records.push_back(Widget<qtview::CRecordWindow>(id)->viewport());
        before.push_back(InkOf(records.back()));
        EXPECT_GT(before.back().nPixels, 0) << id;
      }
      for (const CAnswer& answer : answers) {
        SCOPED_TRACE(QKeySequence(answer.answerKey | answer.modifiers).toString().toStdString());
        bool bAsked = false;
        QTimer::singleShot(0, [&] {
          HWND hBox = GetParent(GetFocus());
          ASSERT_NE(hBox, m_hDlg);
          bAsked = true;
          // QPushButton draws the & as the mnemonic's underline; the key is the
          // dialog manager's, not a shortcut of Qt's.
          QStringList captions;
          for (HWND h : GetChildren(hBox))
            if (auto* pButton = dynamic_cast<QPushButton*>(m_pView->Widget(h))) {
              captions << pButton->text();
              EXPECT_TRUE(pButton->shortcut().isEmpty());
            }
          EXPECT_EQ(captions, (QStringList{QStringLiteral("&Yes"), QStringLiteral("&No")}));
          // The dialog behind keeps its records, drawn as a disabled control's,
          // and the receive record takes what arrives meanwhile.
          const std::string strLate = "late\r\n";
          serial.Arrive(std::vector<uint8_t>(strLate.begin(), strLate.end()));
          Advance(50);
          EXPECT_TRUE(Widget<qtview::CRecordWindow>(IDC_EDIT_RECEIVE_RECORD)->VisibleRows().contains(u"late"));
          for (size_t i = 0; i < records.size(); ++i) {
            CInk greyed = InkOf(records[i]);
            EXPECT_GT(greyed.nPixels, 0) << i;
            EXPECT_GT(greyed.nDarkest, before[i].nDarkest) << i;
          }
          QTest::keyClick(m_pView->Widget(GetFocus()), answer.answerKey, answer.modifiers);
          EXPECT_TRUE(IsDialogEnded(hBox));
        });
        QTest::keyClick(pSend, answer.askKey);
        EXPECT_TRUE(bAsked);
      }
    });
  };
  // No keeps the session; Yes to Enter ends it as OK, Yes to Escape as Cancel.
  EXPECT_EQ(run({{Qt::Key_Return, Qt::Key_N, Qt::NoModifier},
                 {Qt::Key_Escape, Qt::Key_N, Qt::AltModifier},
                 {Qt::Key_Return, Qt::Key_Y, Qt::AltModifier}}),
            IDOK);
  EXPECT_EQ(run({{Qt::Key_Escape, Qt::Key_Y, Qt::NoModifier}}), IDCANCEL);
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
    EXPECT_EQ(win::EndingSignal(), SIGTERM);
  });
  EXPECT_EQ(nResult, IDCANCEL);
}

}  // namespace
