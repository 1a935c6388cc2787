// The record boxes: appends that keep the person's place, replacements, line
// breaks, and the receive poll on real time.
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

#include "FakeViewTest.h"
#include "RecordWindow.h"
#include "TestText.h"
#include "Window.h"
#include "resource.h"

namespace {

using CViewRecordTest = CFakeViewTest;

QString Normalised(std::u16string_view text, bool bAfterCR = false) {
  bool bEndsInCR = false;
  return qtview::NormaliseLineBreaks(text, bAfterCR, &bEndsInCR);
}

TEST(QtRecordLineBreaks, CrLfLfAndCrEachBecomeOneBreak) {
  EXPECT_EQ(Normalised(u"a\r\nb\nc\rd"), QStringLiteral("a\nb\nc\nd"));
  EXPECT_EQ(Normalised(u"\r\r\n\n"), QStringLiteral("\n\n\n"));
  EXPECT_EQ(Normalised(u"\nx", true), QStringLiteral("x"));
  EXPECT_EQ(Normalised(u"\nx", false), QStringLiteral("\nx"));
  bool bEndsInCR = false;
  qtview::NormaliseLineBreaks(u"a\r", false, &bEndsInCR);
  EXPECT_TRUE(bEndsInCR);
  qtview::NormaliseLineBreaks(u"", true, &bEndsInCR);
  EXPECT_TRUE(bEndsInCR);
  qtview::NormaliseLineBreaks(u"\n", true, &bEndsInCR);
  EXPECT_FALSE(bEndsInCR);
}

class CReceiveRecordTest : public CViewRecordTest {
 protected:
  QPlainTextEdit* Record() const { return Widget<QPlainTextEdit>(IDC_EDIT_RECEIVE_RECORD); }
  // Until the record box shows all that arrived: it shows appends from its
  // own event loop.
  void Receive(const std::string& text) {
    serial.Arrive(text);
    while (serial.Waiting() > 0) Advance(50);
    auto* pRecord = Widget<qtview::CRecordWindow>(IDC_EDIT_RECEIVE_RECORD);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !pRecord->HasPending(); }, 5000));
  }
};

TEST_F(CReceiveRecordTest, AnAppendInsertsOnlyTheNewTextAndKeepsScrollPositionAndSelection) {
  RunApp([&] {
    ClickButton(IDC_BUTTON_OPEN);
    std::string lines;
    for (int i = 0; i < 200; ++i) lines += "line " + std::to_string(i) + "\r\n";
    Receive(lines);
    QPlainTextEdit* pRecord = Record();
    ASSERT_EQ(pRecord->document()->blockCount(), 201);
    QScrollBar* pBar = pRecord->verticalScrollBar();
    ASSERT_GT(pBar->maximum(), 40);
    // No following by itself: the view still starts at the top.
    EXPECT_EQ(pBar->value(), 0);

    pBar->setValue(20);
    QTextCursor selection(pRecord->document()->findBlockByNumber(25));
    selection.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    pRecord->setTextCursor(selection);
    pBar->setValue(20);
    int nAnchor = selection.anchor(), nPosition = selection.position();

    int nChanges = 0, nAt = -1, nRemoved = -1;
    int nEnd = pRecord->document()->characterCount() - 1;
    auto connection =
        QObject::connect(pRecord->document(), &QTextDocument::contentsChange, [&](int nPos, int nRem, int) {
          ++nChanges;
          nAt = nPos;
          nRemoved = nRem;
        });
    Receive("more\r\n");
    QObject::disconnect(connection);
    EXPECT_EQ(nChanges, 1);
    EXPECT_EQ(nAt, nEnd);
    EXPECT_EQ(nRemoved, 0);
    EXPECT_EQ(pBar->value(), 20);
    EXPECT_EQ(pRecord->textCursor().anchor(), nAnchor);
    EXPECT_EQ(pRecord->textCursor().position(), nPosition);
    EXPECT_EQ(pRecord->document()->blockCount(), 202);
    EXPECT_EQ(pRecord->document()->findBlockByNumber(200).text(), QStringLiteral("more"));

    // At the bottom it stays where the person left it, too.
    pBar->setValue(pBar->maximum());
    int nBottom = pBar->value();
    QTextCursor caret(pRecord->document());
    caret.movePosition(QTextCursor::End);
    pRecord->setTextCursor(caret);
    pBar->setValue(nBottom);
    int nCaret = caret.position();
    Receive("a\r\nb\r\nc\r\nd\r\n");
    EXPECT_EQ(pBar->value(), nBottom);
    EXPECT_GT(pBar->maximum(), nBottom);
    EXPECT_EQ(pRecord->textCursor().position(), nCaret);
    EXPECT_FALSE(pRecord->document()->isUndoRedoEnabled());
  });
}

TEST_F(CReceiveRecordTest, ClearEmptiesTheBox) {
  RunApp([&] {
    ClickButton(IDC_BUTTON_OPEN);
    Receive("some\r\ntext");
    EXPECT_EQ(Record()->toPlainText(), QStringLiteral("some\ntext"));
    ClickButton(IDC_BUTTON_CLEAR_RECEIVE);
    EXPECT_EQ(Record()->toPlainText(), QString());
    EXPECT_EQ(Record()->document()->blockCount(), 1);
    Receive("again");
    EXPECT_EQ(Record()->toPlainText(), QStringLiteral("again"));
  });
}

TEST_F(CReceiveRecordTest, TextTypedIntoARecordIsReplacedAtTheNextRefresh) {
  RunApp([&] {
    ClickButton(IDC_BUTTON_OPEN);
    Receive("first");
    QTest::mouseClick(Record()->viewport(), Qt::LeftButton);
    QTextCursor end = Record()->textCursor();
    end.movePosition(QTextCursor::End);
    Record()->setTextCursor(end);
    QTest::keyClicks(Record(), "typed");
    EXPECT_EQ(Text(IDC_EDIT_RECEIVE_RECORD), u"firsttyped");
    EXPECT_EQ(Record()->toPlainText(), QStringLiteral("firsttyped"));
    Receive("ok");
    EXPECT_EQ(Record()->toPlainText(), QStringLiteral("firstok"));
    EXPECT_EQ(Text(IDC_EDIT_RECEIVE_RECORD), u"firstok");
    // And the next append is an append again.
    Receive("!");
    EXPECT_EQ(Record()->toPlainText(), QStringLiteral("firstok!"));
  });
}

TEST_F(CReceiveRecordTest, ACrLfSplitAcrossTwoRefreshesIsOneLineBreak) {
  RunApp([&] {
    ClickButton(IDC_BUTTON_OPEN);
    Receive("a\r");
    EXPECT_EQ(Record()->toPlainText(), QStringLiteral("a\n"));
    Receive("\nb\rc\nd");
    EXPECT_EQ(Record()->toPlainText(), QStringLiteral("a\nb\nc\nd"));
    EXPECT_EQ(Record()->document()->blockCount(), 4);
    EXPECT_EQ(Text(IDC_EDIT_RECEIVE_RECORD), u"a\r\nb\rc\nd");
    Receive("\r");
    Receive("\r");
    EXPECT_EQ(Record()->document()->blockCount(), 6);
  });
}

TEST_F(CReceiveRecordTest, ALongTextWithoutLineBreaksShowsWholeInBoundedLines) {
  RunApp([&] {
    ClickButton(IDC_BUTTON_OPEN);
    std::string text;
    for (int i = 0; i < 100000; ++i) text += static_cast<char>('a' + i % 26);
    Receive(text.substr(0, 30000));
    Receive(text.substr(30000));
    EXPECT_EQ(Text(IDC_EDIT_RECEIVE_RECORD), U16(text));
    QTextDocument* pDocument = Record()->document();
    EXPECT_GT(pDocument->blockCount(), 100000 / qtview::CRecordWindow::kMaxBlock);
    for (QTextBlock block = pDocument->begin(); block.isValid(); block = block.next())
      EXPECT_LE(block.length() - 1, qtview::CRecordWindow::kMaxBlock);
    EXPECT_EQ(Record()->toPlainText().remove(u'\n'), QString::fromStdString(text));
  });
}

TEST_F(CReceiveRecordTest, TheReceivePollRunsOnRealTimeInTheEventLoop) {
  UseRealTime();
  RunApp([&] {
    ClickButton(IDC_BUTTON_OPEN);
    serial.Arrive(std::string("live\r\n"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return Record()->toPlainText() == QStringLiteral("live\n"); }, 3000));
    EXPECT_GE(serial.Count("DataSizeInCom"), 1u);
  });
}

}  // namespace
