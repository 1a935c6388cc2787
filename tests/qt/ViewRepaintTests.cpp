// What the record box repaints while text arrives: a person watching a long
// record sees the same picture, so nothing is drawn again until it changes.
#include <QEvent>
#include <QScrollBar>
#include <QTest>

#include "FakeViewTest.h"
#include "RecordWindow.h"
#include "resource.h"

namespace {

// Counts the paints a widget gets.
class CPaintCounter : public QObject {
 public:
  explicit CPaintCounter(QWidget* pWidget) { pWidget->installEventFilter(this); }
  int Count() const { return m_nPaints; }

 protected:
  bool eventFilter(QObject*, QEvent* pEvent) override {
    if (pEvent->type() == QEvent::Paint) ++m_nPaints;
    return false;
  }

 private:
  int m_nPaints = 0;
};

std::string Lines(int nFrom, int nTo) {
  std::string lines;
  for (int i = nFrom; i < nTo; ++i) lines += "line " + std::to_string(i) + "\r\n";
  return lines;
}

class CRecordRepaintTest : public CFakeViewTest {
 protected:
  qtview::CRecordWindow* Record() const { return Widget<qtview::CRecordWindow>(IDC_EDIT_RECEIVE_RECORD); }
  void Receive(const std::string& text) {
    serial.Arrive(text);
    while (serial.Waiting() > 0) Advance(50);
    QTest::qWait(1);
  }
};

TEST_F(CRecordRepaintTest, AppendsBelowTheViewRepaintTheBarOnlyWhenItsHandleMoves) {
  RunApp([&] {
    ClickButton(IDC_BUTTON_OPEN);
    Receive(Lines(0, 100000));
    qtview::CRecordWindow* pRecord = Record();
    QScrollBar* pBar = pRecord->verticalScrollBar();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(pRecord->window()));
    QTest::qWait(1);
    CPaintCounter barPaints(pBar), textPaints(pRecord->viewport());
    QStringList rows = pRecord->VisibleRows();

    // A hundred thousand lines: a few more leave the handle where it is,
    // but the bar still reaches the new end.
    int nMax = pBar->maximum();
    for (int i = 0; i < 5; ++i) Receive(Lines(100000 + i, 100001 + i));
    EXPECT_EQ(pBar->maximum(), nMax + 5);
    EXPECT_EQ(barPaints.Count(), 0);
    EXPECT_EQ(textPaints.Count(), 0);
    EXPECT_EQ(pRecord->VisibleRows(), rows);

    // Dragging to the end moves the handle: the bar and the text are drawn
    // again and show the lines that came last.
    pBar->setSliderDown(true);
    pBar->setSliderPosition(pBar->maximum());
    pBar->setSliderDown(false);
    QTest::qWait(1);
    EXPECT_GT(barPaints.Count(), 0);
    EXPECT_GT(textPaints.Count(), 0);
    EXPECT_EQ(pRecord->VisibleRows().back(), QString());
    EXPECT_EQ(pRecord->VisibleRows()[pRecord->VisibleRows().size() - 2], QStringLiteral("line 100004"));

    // With the end in view, an append is drawn; doubling the record moves
    // the handle back up, which the bar shows.
    int nBar = barPaints.Count(), nText = textPaints.Count();
    Receive(Lines(100005, 100006));
    EXPECT_GT(textPaints.Count(), nText);
    Receive(Lines(0, 100000));
    EXPECT_GT(barPaints.Count(), nBar);
  });
}

TEST_F(CRecordRepaintTest, TheBarKeepsPaceWithAppendsAndStillScrollsTheText) {
  RunApp([&] {
    ClickButton(IDC_BUTTON_OPEN);
    Receive(Lines(0, 200));
    qtview::CRecordWindow* pRecord = Record();
    QScrollBar* pBar = pRecord->verticalScrollBar();
    const int nMax = pBar->maximum();
    ASSERT_GT(nMax, 0);
    EXPECT_EQ(pBar->value(), 0);

    // Lines below the view lengthen the bar's range; the handle and the text stay.
    QStringList rows = pRecord->VisibleRows();
    Receive(Lines(200, 300));
    EXPECT_EQ(pBar->maximum(), nMax + 100);
    EXPECT_EQ(pBar->value(), 0);
    EXPECT_EQ(pRecord->VisibleRows(), rows);

    // The person takes the handle to the end: the last lines show.
    pBar->triggerAction(QAbstractSlider::SliderToMaximum);
    QTest::qWait(1);
    EXPECT_EQ(pBar->value(), pBar->maximum());
    EXPECT_TRUE(pRecord->VisibleRows().contains(QStringLiteral("line 299")));

    // More lines keep the line on top, and the handle with it; the first of them shows
    // in the row that was empty, and the end is a step away.
    const QString strTop = pRecord->VisibleRows().front();
    const int nTop = pBar->value();
    Receive(Lines(300, 310));
    EXPECT_EQ(pBar->maximum(), nMax + 110);
    EXPECT_EQ(pBar->value(), nTop);
    EXPECT_EQ(pRecord->VisibleRows().front(), strTop);
    EXPECT_EQ(pRecord->VisibleRows().back(), QStringLiteral("line 300"));
    pBar->triggerAction(QAbstractSlider::SliderToMaximum);
    QTest::qWait(1);
    EXPECT_TRUE(pRecord->VisibleRows().contains(QStringLiteral("line 309")));
    pBar->triggerAction(QAbstractSlider::SliderToMinimum);
    QTest::qWait(1);
    EXPECT_EQ(pRecord->VisibleRows().front(), QStringLiteral("line 0"));
  });
}

}  // namespace
