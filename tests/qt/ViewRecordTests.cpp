// The record boxes as a person uses them: scrolling, selecting with the mouse
// and the keys, copying, typing, and appends that keep the person's place.
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <cstdlib>
#include <filesystem>

#include "FakeViewTest.h"
#include "RecordWindow.h"
#include "SharedText.h"
#include "TestText.h"
#include "Window.h"
#include "resource.h"

namespace {

std::string Lines(int nFrom, int nTo) {
  std::string lines;
  for (int i = nFrom; i < nTo; ++i) lines += "line " + std::to_string(i) + "\r\n";
  return lines;
}

class CReceiveRecordTest : public CFakeViewTest {
 protected:
  qtview::CRecordWindow* Record() const { return Widget<qtview::CRecordWindow>(IDC_EDIT_RECEIVE_RECORD); }
  QWidget* Viewport() const { return Record()->viewport(); }
  void Receive(const std::string& text) { Receive(Bytes(text)); }
  void Receive(const std::vector<uint8_t>& bytes) {
    serial.Arrive(bytes);
    while (serial.Waiting() > 0) Advance(50);
  }
  // Opens the port and lets the record fill with lines 0 to nLines - 1, the top in view.
  qtview::CRecordWindow* ReceiveLines(int nLines) {
    ClickButton(IDC_BUTTON_OPEN);
    Receive(Lines(0, nLines));
    return Record();
  }
  // Where the text of a visible row starts, in the viewport.
  QPoint RowPoint(int nRow, int nX = 1) const {
    int nSpacing = QFontMetrics(Record()->font()).lineSpacing();
    return QPoint(nX, 2 + nRow * nSpacing + nSpacing / 2);
  }
  QString Clipboard() const { return QApplication::clipboard()->text(); }
  // Gives the box room for hex rows of 16 with times: 78 digits' cells.
  void WidenRecord() {
    Record()->resize(Record()->width() + 80 * QFontMetrics(Record()->font()).horizontalAdvance(u'0'),
                     Record()->height());
  }
  void CopyWithKeys() {
    QApplication::clipboard()->clear();
    QTest::keyClick(Record(), Qt::Key_C, Qt::ControlModifier);
  }
  // Right-clicks the box's first row, as a person does on the dialog's
  // window, and lets the person work the menu.
  void WithMenu(const std::function<void(QMenu*)>& person) {
    WorkMenu(
        [&] {
          QTest::mouseClick(Dialog()->windowHandle(), Qt::RightButton, {}, Viewport()->mapTo(Dialog(), RowPoint(0)));
        },
        person);
  }
  // Right-clicks the box and clicks an entry of its menu.
  void PickFromMenu(const QString& strEntry) {
    WithMenu([&](QMenu* pMenu) {
      for (QAction* pAction : pMenu->actions()) {
        if (pAction->text().remove(u'&') == strEntry) {
          QTest::mouseClick(pMenu, Qt::LeftButton, {}, pMenu->actionGeometry(pAction).center());
          return;
        }
      }
      ADD_FAILURE() << "no entry " << strEntry.toStdString();
    });
  }
  // The menu's entries: grayed ones marked with a -, checked ones with a *
  // (a radio check with a o), separators as |.
  static QStringList Entries(QMenu* pMenu) {
    QStringList entries;
    for (QAction* pAction : pMenu->actions()) {
      QString strCheck = !pAction->isChecked() ? "" : pAction->actionGroup() ? "o" : "*";
      entries << (pAction->isSeparator() ? QStringLiteral("|")
                                         : pAction->text() + (pAction->isEnabled() ? "" : "-") + strCheck);
    }
    return entries;
  }
  // The record box's forms, as its menu ends.
  static QStringList Forms(bool bHex, bool bTimes) {
    return {"|", bHex ? "Show Te&xt" : "Show Te&xto", bHex ? "Show &Hexo" : "Show &Hex",
            bTimes ? "Show Ti&mes*" : "Show Ti&mes"};
  }
};

TEST_F(CReceiveRecordTest, ScrollingByBarWheelAndKeysWithoutFollowingNewText) {
  RunApp([&] {
    qtview::CRecordWindow* pRecord = ReceiveLines(200);
    QScrollBar* pBar = pRecord->verticalScrollBar();
    int nPage = static_cast<int>(pRecord->VisibleRows().size());
    ASSERT_GT(nPage, 3);
    // The box does not follow by itself: it still shows the top.
    EXPECT_EQ(pRecord->VisibleRows().front(), QStringLiteral("line 0"));
    EXPECT_EQ(pBar->maximum(), 201 - nPage);

    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, RowPoint(0));
    QTest::keyClick(pRecord, Qt::Key_PageDown);
    EXPECT_EQ(pRecord->VisibleRows().front(), QString::fromStdString("line " + std::to_string(nPage)));
    EXPECT_EQ(pBar->value(), nPage);
    QTest::keyClick(pRecord, Qt::Key_PageUp);
    EXPECT_EQ(pBar->value(), 0);

    // The wheel: three rows a notch.
    QWheelEvent wheel(RowPoint(1), Viewport()->mapToGlobal(RowPoint(1)), {}, QPoint(0, -120), Qt::NoButton, {},
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(Viewport(), &wheel);
    EXPECT_EQ(pRecord->VisibleRows().front(), QStringLiteral("line 3"));

    // Ctrl+End shows the end and the caret there; Ctrl+Home goes back.
    QTest::keyClick(pRecord, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(pBar->value(), pBar->maximum());
    EXPECT_EQ(pRecord->VisibleRows().back(), QString());
    EXPECT_EQ(pRecord->Selection().Caret(), Text(IDC_EDIT_RECEIVE_RECORD).size());
    QTest::keyClick(pRecord, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(pBar->value(), 0);
    EXPECT_EQ(pRecord->Selection().Caret(), 0u);

    // Dragging the bar's handle to its end.
    pBar->setSliderDown(true);
    pBar->setSliderPosition(pBar->maximum());
    pBar->setSliderDown(false);
    EXPECT_EQ(pRecord->VisibleRows().front(), QString::fromStdString("line " + std::to_string(201 - nPage)));

    // Arrows move the caret a row and scroll only when it leaves the view.
    QTest::keyClick(pRecord, Qt::Key_Home, Qt::ControlModifier);
    for (int i = 0; i < nPage; ++i) QTest::keyClick(pRecord, Qt::Key_Down);
    EXPECT_EQ(pBar->value(), 1);
    QTest::keyClick(pRecord, Qt::Key_End);
    QTest::keyClick(pRecord, Qt::Key_Left);
    QTest::keyClick(pRecord, Qt::Key_Home, Qt::ShiftModifier);
    CopyWithKeys();
    EXPECT_EQ(Clipboard(), QString::fromStdString("line " + std::to_string(nPage)).chopped(1));
  });
}

TEST_F(CReceiveRecordTest, AnAppendKeepsScrollPositionAndSelection) {
  RunApp([&] {
    qtview::CRecordWindow* pRecord = ReceiveLines(200);
    QScrollBar* pBar = pRecord->verticalScrollBar();
    pBar->setValue(20);
    // A selection from the middle of row 2 with the mouse, to row 4 with Shift and a key.
    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, RowPoint(2));
    QTest::keyClick(pRecord, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(pRecord, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(pRecord, Qt::Key_End, Qt::ShiftModifier);
    QString strSelected = pRecord->SelectedText();
    EXPECT_EQ(strSelected, QStringLiteral("line 22\r\nline 23\r\nline 24"));
    QStringList rows = pRecord->VisibleRows();
    int nMax = pBar->maximum();

    Receive("more\r\n");
    EXPECT_EQ(pBar->value(), 20);
    EXPECT_EQ(pBar->maximum(), nMax + 1);
    EXPECT_EQ(pRecord->VisibleRows(), rows);
    EXPECT_EQ(pRecord->SelectedText(), strSelected);

    // At the end it stays where the person left it, caret and all.
    QTest::keyClick(pRecord, Qt::Key_End, Qt::ControlModifier);
    size_t nCaret = pRecord->Selection().Caret();
    view::SViewTop top = pRecord->Top();
    rows = pRecord->VisibleRows();
    Receive("a\r\nb\r\nc\r\nd\r\n");
    EXPECT_EQ(pRecord->Top(), top);
    EXPECT_EQ(pRecord->VisibleRows().front(), rows.front());
    EXPECT_EQ(pRecord->VisibleRows().back(), QStringLiteral("a"));
    EXPECT_EQ(pRecord->Selection().Caret(), nCaret);
    EXPECT_EQ(pBar->maximum(), nMax + 5);
    EXPECT_LT(pBar->value(), pBar->maximum());
  });
}

TEST_F(CReceiveRecordTest, CopyGivesExactlyTheSelectedTextAsReceived) {
  RunApp([&] {
    ClickButton(IDC_BUTTON_OPEN);
    // A CR LF split across two refreshes, a lone CR, a lone LF and a zero byte.
    Receive("ab\r");
    EXPECT_EQ(Record()->VisibleRows(), (QStringList{"ab", ""}));
    Receive(std::vector<uint8_t>{'\n', 'c', 'd', '\r', 'e', '\n', 'f', 0, 'g'});
    EXPECT_EQ(Record()->VisibleRows(), (QStringList{"ab", "cd", "e", QStringLiteral("f\u2400g")}));

    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, RowPoint(0));
    QTest::keyClick(Record(), Qt::Key_A, Qt::ControlModifier);
    CopyWithKeys();
    EXPECT_EQ(Clipboard(), QStringLiteral("ab\r\ncd\re\nf\u2400g"));

    // Over the break that came in two pieces: one step each way.
    QTest::keyClick(Record(), Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(Record(), Qt::Key_End);
    QTest::keyClick(Record(), Qt::Key_Right, Qt::ShiftModifier);
    CopyWithKeys();
    EXPECT_EQ(Clipboard(), QStringLiteral("\r\n"));

    // A double-click selects a word; the menu copies it and selects all.
    Receive(" word, more");
    QTest::mouseDClick(
        Viewport(), Qt::LeftButton, {},
        RowPoint(3, 4 + QFontMetrics(Record()->font()).horizontalAdvance(QStringLiteral("f\u2400g wo"))));
    EXPECT_EQ(Record()->SelectedText(), QStringLiteral("word"));
    QApplication::clipboard()->clear();
    PickFromMenu(QStringLiteral("Copy"));
    EXPECT_EQ(Clipboard(), QStringLiteral("word"));
    PickFromMenu(QStringLiteral("Select All"));
    EXPECT_EQ(Record()->SelectedText(), QStringLiteral("ab\r\ncd\re\nf\u2400g word, more"));

    // A drag with the mouse selects from press to release.
    QTest::mousePress(Viewport(), Qt::LeftButton, {}, RowPoint(1, 0));
    QMouseEvent move(QEvent::MouseMove, RowPoint(2, 200), Viewport()->mapToGlobal(RowPoint(2, 200)), Qt::NoButton,
                     Qt::LeftButton, {});
    QApplication::sendEvent(Viewport(), &move);
    QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, RowPoint(2, 200));
    EXPECT_EQ(Record()->SelectedText(), QStringLiteral("cd\re"));
  });
}

// The box's menu as a person works it: a right click or Shift+F10 opens it,
// with what the box cannot do grayed, and its mnemonics pick.
TEST_F(CReceiveRecordTest, TheMenuOpensOnARightClickOrShiftF10AndItsMnemonicsPick) {
  RunApp([&] {
    ReceiveLines(2);
    const QString strAll = QString::fromStdString(Lines(0, 2));
    QApplication::clipboard()->clear();
    WithMenu([&](QMenu* pMenu) {
      EXPECT_EQ(Entries(pMenu),
                (QStringList{"Cu&t-", "&Copy-", "&Paste-", "&Delete-", "|", "Select &All"} + Forms(false, false)));
      QTest::keyClick(pMenu, Qt::Key_A);
    });
    EXPECT_EQ(Record()->SelectedText(), strAll);
    EXPECT_EQ(QApplication::focusWidget(), Record());

    WorkMenu([&] { QTest::keyClick(Record(), Qt::Key_F10, Qt::ShiftModifier); },
             [&](QMenu* pMenu) {
               EXPECT_EQ(Entries(pMenu), (QStringList{"Cu&t", "&Copy", "&Paste-", "&Delete", "|", "Select &All"} +
                                          Forms(false, false)));
               QTest::keyClick(pMenu, Qt::Key_C);
             });
    EXPECT_EQ(Clipboard(), strAll);

    // Cut, then Paste brings the text back.
    WithMenu([&](QMenu* pMenu) {
      EXPECT_EQ(Entries(pMenu)[2], QStringLiteral("&Paste"));
      QTest::keyClick(pMenu, Qt::Key_T);
    });
    EXPECT_EQ(Text(IDC_EDIT_RECEIVE_RECORD), u"");
    WithMenu([&](QMenu* pMenu) { QTest::keyClick(pMenu, Qt::Key_P); });
    EXPECT_EQ(Record()->VisibleRows(), (QStringList{"line 0", "line 1", ""}));
  });
}

TEST_F(CReceiveRecordTest, TypingGoesToTheWindowAndTheNextRefreshReplacesIt) {
  RunApp([&] {
    ClickButton(IDC_BUTTON_OPEN);
    Receive("first");
    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, RowPoint(0, 200));
    QTest::keyClicks(Record(), "typed");
    EXPECT_EQ(Text(IDC_EDIT_RECEIVE_RECORD), u"firsttyped");
    EXPECT_EQ(Record()->VisibleRows(), QStringList{"firsttyped"});
    QTest::keyClick(Record(), Qt::Key_Backspace);
    QTest::keyClick(Record(), Qt::Key_Home);
    QTest::keyClick(Record(), Qt::Key_Delete);
    EXPECT_EQ(Text(IDC_EDIT_RECEIVE_RECORD), u"irsttype");
    QApplication::clipboard()->setText(QStringLiteral("P\r\n"));
    QTest::keyClick(Record(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Text(IDC_EDIT_RECEIVE_RECORD), u"P\r\nirsttype");
    EXPECT_EQ(Record()->Selection().Caret(), 3u);

    Receive("ok");
    EXPECT_EQ(Text(IDC_EDIT_RECEIVE_RECORD), u"firstok");
    EXPECT_EQ(Record()->VisibleRows(), QStringList{"firstok"});
    // And the next refresh is an append again.
    Receive("!");
    EXPECT_EQ(Record()->VisibleRows(), QStringList{"firstok!"});

    ClickButton(IDC_BUTTON_CLEAR_RECEIVE);
    EXPECT_EQ(Record()->VisibleRows(), QStringList{QString()});
  });
}

TEST_F(CReceiveRecordTest, HomeKeepsToTheRowCtrlHomeToTheTextAndAnArrowDropsTheSelection) {
  RunApp([&] {
    ClickButton(IDC_BUTTON_OPEN);
    std::string strLine;
    for (int i = 0; i < 60; ++i) strLine += "word" + std::to_string(i) + " ";
    Receive(strLine);
    QStringList rows = Record()->VisibleRows();
    ASSERT_GE(rows.size(), 3);
    auto nRow1 = static_cast<size_t>(rows[0].size());
    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, RowPoint(1, 40));
    QTest::keyClick(Record(), Qt::Key_Home);
    EXPECT_EQ(Record()->Selection().Caret(), nRow1);
    QTest::keyClick(Record(), Qt::Key_End, Qt::ShiftModifier);
    EXPECT_EQ(Record()->SelectedText(), rows[1].chopped(1));  // up to the blank it wraps at
    QTest::keyClick(Record(), Qt::Key_Left);
    EXPECT_TRUE(Record()->Selection().IsEmpty());
    EXPECT_EQ(Record()->Selection().Caret(), nRow1);
    QTest::keyClick(Record(), Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(Record(), Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(Record(), Qt::Key_Right);
    EXPECT_TRUE(Record()->Selection().IsEmpty());
    EXPECT_EQ(Record()->Selection().Caret(), nRow1 + 2);
    QTest::keyClick(Record(), Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(Record()->Selection().Caret(), 0u);
    QTest::keyClick(Record(), Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(Record()->Selection().Caret(), strLine.size());
  });
}

TEST_F(CReceiveRecordTest, AMegabyteWithoutLineBreaksWrapsAtTheBoxAndCopiesWhole) {
  RunApp([&] {
    ClickButton(IDC_BUTTON_OPEN);
    std::string text;
    for (int i = 0; i < (1 << 20); ++i) text += static_cast<char>('a' + i % 26);
    Receive(text);
    QStringList rows = Record()->VisibleRows();
    ASSERT_GT(rows.size(), 2);
    QFontMetrics metrics(Record()->font());
    for (const QString& row : rows) {
      EXPECT_GT(row.size(), 5);
      EXPECT_LE(metrics.horizontalAdvance(row), Record()->viewport()->width());
    }
    EXPECT_EQ(rows.join(QString()), QString::fromStdString(text.substr(0, rows.join(QString()).size())));

    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, RowPoint(0));
    QTest::keyClick(Record(), Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier);
    CopyWithKeys();
    EXPECT_EQ(Clipboard(), QString::fromStdString(text));
    // The end is one page away, not one line.
    EXPECT_EQ(Record()->VisibleRows().back(),
              QString::fromStdString(text.substr(text.size() - Record()->VisibleRows().back().size())));
  });
}

// A record past the resident bound reads its older lines back from the
// store's file: scrolling to them, selecting them and copying all of it.
TEST_F(CReceiveRecordTest, ARecordPastTheResidentBoundScrollsSelectsAndCopiesFromItsFile) {
  char szDir[] = "/tmp/quorvel-view-XXXXXX";
  ASSERT_NE(mkdtemp(szDir), nullptr);
  setenv("XDG_CACHE_HOME", szDir, 1);
  win::SetTextResidentBound(2 * win::CTextStore::kChunkUnits);
  RunApp([&] {
    qtview::CRecordWindow* pRecord = ReceiveLines(60000);
    const win::CTextRange record = GetWindowTextShared(Item(IDC_EDIT_RECEIVE_RECORD)).View();
    EXPECT_GT(record.Store()->StoredBytes(), record.size() / 2);

    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, RowPoint(0));
    QTest::keyClick(pRecord, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(pRecord->VisibleRows().front(), QStringLiteral("line 0"));
    pRecord->verticalScrollBar()->setValue(31234);
    EXPECT_EQ(pRecord->VisibleRows().front(), QStringLiteral("line 31234"));
    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, RowPoint(0));
    QTest::mouseClick(Viewport(), Qt::LeftButton, Qt::ShiftModifier, RowPoint(2));
    CopyWithKeys();
    EXPECT_EQ(Clipboard(), QString::fromStdString(Lines(31234, 31236)));

    QTest::keyClick(pRecord, Qt::Key_A, Qt::ControlModifier);
    CopyWithKeys();
    EXPECT_EQ(Clipboard(), QString::fromStdString(Lines(0, 60000)));
  });
  win::SetTextResidentBound(win::kDefaultResidentBound);
  unsetenv("XDG_CACHE_HOME");
  std::filesystem::remove_all(szDir);
}

TEST_F(CReceiveRecordTest, TheReceivePollRunsOnRealTimeInTheEventLoop) {
  UseRealTime();
  RunApp([&] {
    ClickButton(IDC_BUTTON_OPEN);
    serial.Arrive(std::string("live\r\n"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return Record()->VisibleRows() == QStringList({"live", ""}); }, 3000));
    EXPECT_GE(serial.Count("DataSizeInCom"), 1u);
  });
}

}  // namespace

// The forms as a person picks them from the box's menu, by mouse and by
// mnemonic: hex rows with a reply after a pause on rows of its own, the
// times on the virtual clock, copy of what is shown, and typed text.
TEST_F(CReceiveRecordTest, TheFormsShowHexRowsAndTimesAndCopyWhatTheyShow) {
  setenv("TZ", "UTC", 1);
  tzset();
  RunApp([&] {
    m_clock.SetWallMs(1700000000000 - m_clock.NowMs());
    WidenRecord();
    ClickButton(IDC_BUTTON_OPEN);
    Receive(std::vector<uint8_t>{0x01, 0x03, 0x00, 0x00, 0x00, 0x0A, 0xC5, 0xCD, 0x7F, 0xFF, 'a'});
    Advance(150);
    Receive("OK\r\n");
    PickFromMenu(QStringLiteral("Show Hex"));
    // Digits padded to a full row's, a blank, the characters.
    auto hexRow = [](const QString& strDigits, const QString& strChars) {
      return strDigits.leftJustified(3 * 16 + 1) + strChars;
    };
    const QStringList hex{
        hexRow("01 03 00 00 00 0A C5 CD 7F FF 61", "\u2401\u2403\u2400\u2400\u2400\u240A\u00C5\u00CD\u2421\u00FFa"),
        hexRow("4F 4B 0D 0A", "OK\u240D\u240A")};
    EXPECT_EQ(Record()->VisibleRows().mid(0, 2), hex);
    WithMenu([&](QMenu* pMenu) {
      EXPECT_EQ(Entries(pMenu).mid(6), Forms(true, false));
      QTest::keyClick(pMenu, Qt::Key_M);
    });
    QStringList rows = Record()->VisibleRows();
    ASSERT_GE(rows.size(), 2);
    // The poll appended them on ticks 50 ms apart, the reply after two empty ones.
    EXPECT_EQ(rows[0].left(13), QStringLiteral("22:13:20.050 "));
    EXPECT_EQ(rows[1].left(13), QStringLiteral("22:13:20.250 "));
    EXPECT_EQ(rows[0].mid(13), hex[0]);
    Record()->grab();

    QTest::keyClick(Record(), Qt::Key_A, Qt::ControlModifier);
    CopyWithKeys();
    EXPECT_EQ(Clipboard(), QStringLiteral("22:13:20.050 ") + hex[0] + "\n22:13:20.250 " + hex[1]);
    WithMenu([&](QMenu* pMenu) { QTest::keyClick(pMenu, Qt::Key_X); });
    CopyWithKeys();
    // In text form 0A ends a line.
    EXPECT_EQ(Clipboard(), QStringLiteral("22:13:20.050 \u0001\u0003\u2400\u2400\u2400\n22:13:20.050 "
                                          "\u00C5\u00CD\u007F\u00FFaOK\r\n"));
    EXPECT_EQ(Record()->VisibleRows().front(), QStringLiteral("22:13:20.050 \u0001\u0003\u2400\u2400\u2400"));

    PickFromMenu(QStringLiteral("Show Hex"));
    QTest::keyClick(Record(), Qt::Key_End, Qt::ControlModifier);
    QKeyEvent euro(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QStringLiteral("\u20AC"));
    QApplication::sendEvent(Record(), &euro);
    // Typed text is no byte: ?? and itself. The person's edit replaced
    // the record, which came all at once then.
    EXPECT_EQ(Record()->VisibleRows(),
              QStringList{"22:13:20.250 " + hexRow("01 03 00 00 00 0A C5 CD 7F FF 61 4F 4B 0D 0A ??",
                                                   "\u2401\u2403\u2400\u2400\u2400\u240A\u00C5\u00CD\u2421\u00FFa"
                                                   "OK\u240D\u240A\u20AC")});
    Record()->grab();
  });
}

// Switching form keeps the first unit in view in view, and the scroll bar
// works in hex rows.
TEST_F(CReceiveRecordTest, SwitchingFormKeepsTheViewsPlace) {
  RunApp([&] {
    qtview::CRecordWindow* pRecord = ReceiveLines(200);
    WidenRecord();
    QScrollBar* pBar = pRecord->verticalScrollBar();
    pBar->setValue(50);
    EXPECT_EQ(pRecord->VisibleRows().front(), QStringLiteral("line 50"));
    PickFromMenu(QStringLiteral("Show Hex"));
    // "line 50" starts at unit 10 * 8 + 40 * 9, the ninth of its row.
    EXPECT_TRUE(
        pRecord->VisibleRows().front().startsWith(QStringLiteral("69 6E 65 20 34 39 0D 0A 6C 69 6E 65 20 35 30")))
        << pRecord->VisibleRows().front().toStdString();
    pBar->setValue(pBar->maximum());
    EXPECT_TRUE(pRecord->VisibleRows().back().startsWith(QStringLiteral("0D 0A")))
        << pRecord->VisibleRows().back().toStdString();
    pBar->setValue(10);
    EXPECT_TRUE(pRecord->VisibleRows().front().startsWith(QStringLiteral("0A 6C 69 6E 65 20 31 39")))
        << pRecord->VisibleRows().front().toStdString();
    PickFromMenu(QStringLiteral("Show Text"));
    EXPECT_EQ(pRecord->VisibleRows().front(), QStringLiteral("line 18"));
  });
}
