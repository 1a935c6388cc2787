#include <gtest/gtest.h>

#include <string>

#include "LineIndex.h"
#include "RecordLayout.h"

using namespace view;

namespace {

class CRecordLayoutTest : public ::testing::Test {
 protected:
  void Show(std::u16string strText, double fWidth) {
    text = win::CTextRange(strText);
    index.Update(text, CLineIndex::kAppendedNone);
    layout.SetMeasure(&columns);
    layout.SetWidth(fWidth);
  }
  std::u16string RowText(const SRow& row) const { return text.substr(row.nStart, row.nEnd - row.nStart).ToString(); }
  std::vector<std::u16string> RowTexts(SViewTop top, size_t nRows) const {
    std::vector<std::u16string> rows;
    for (const SRow& row : layout.Rows(text, top, nRows)) rows.push_back(RowText(row));
    return rows;
  }

  win::CTextRange text;
  CLineIndex index;
  CColumnMeasure columns;
  CRecordLayout layout{index};
};

using R = std::vector<std::u16string>;

}  // namespace

TEST_F(CRecordLayoutTest, LinesWrapAtWordsOrAnywhereAndOnlyTheRowsAskedForAreLaidOut) {
  Show(u"one two three\r\nabcdefghijkl\r\n\r\nend", 6);
  EXPECT_EQ(RowTexts({}, 100), (R{u"one ", u"two ", u"three", u"abcdef", u"ghijkl", u"", u"end"}));
  EXPECT_EQ(RowTexts({1, 1}, 2), (R{u"ghijkl", u""}));
  // Blanks may pass the edge rather than start a row.
  Show(u"ab      cd", 4);
  EXPECT_EQ(RowTexts({}, 9), (R{u"ab      ", u"cd"}));
  // Tabs reach the next stop of eight columns.
  Show(u"a\tb", 9);
  EXPECT_EQ(RowTexts({}, 9), (R{u"a\tb"}));
  EXPECT_EQ(layout.XOf(text, layout.RowAt(text, 0), 2), 8);
  // Without a width a line is one row.
  Show(u"abcdefghijkl", 0);
  EXPECT_EQ(RowTexts({}, 9), (R{u"abcdefghijkl"}));
}

TEST_F(CRecordLayoutTest, ScrollingRevealingAndTheLastPage) {
  std::u16string lines;
  for (int i = 0; i < 50; ++i) lines += u"line " + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)) + u"\r\n";
  lines += std::u16string(25, u'x');  // the last line wraps into three rows of ten
  Show(lines, 10);
  SViewTop last = layout.LastTop(text, 5);
  EXPECT_EQ(last, (SViewTop{48, 0}));
  EXPECT_EQ(RowTexts(last, 5), (R{u"line W", u"line X", u"xxxxxxxxxx", u"xxxxxxxxxx", u"xxxxx"}));
  EXPECT_EQ(layout.Scroll(text, {}, 3, 5), (SViewTop{3, 0}));
  EXPECT_EQ(layout.Scroll(text, {}, 1000, 5), last);
  EXPECT_EQ(layout.Scroll(text, {50, 2}, -1, 5), last);
  EXPECT_EQ(layout.Scroll(text, last, -1, 5), (SViewTop{47, 0}));
  EXPECT_EQ(layout.Scroll(text, {3, 0}, -1000, 5), (SViewTop{}));

  // Reveal moves the least that shows the caret's row.
  EXPECT_EQ(layout.Reveal(text, {}, 0, 5), (SViewTop{}));
  EXPECT_EQ(layout.Reveal(text, {}, index.LineStart(text, 10), 5), (SViewTop{6, 0}));
  EXPECT_EQ(layout.Reveal(text, {20, 0}, index.LineStart(text, 10), 5), (SViewTop{10, 0}));
  EXPECT_EQ(layout.Reveal(text, {}, text.size(), 5), (SViewTop{48, 0}));
  // At a wrap the caret shows on the next row.
  SRow row = layout.RowAt(text, index.LineStart(text, 50) + 10);
  EXPECT_EQ(row.nRow, 1u);
  EXPECT_FALSE(row.bLastOfLine);
}

TEST_F(CRecordLayoutTest, CaretMovesByRowsAndPages) {
  Show(u"abcdefghij klmno\r\npq\r\nrstuvw", 11);
  // Rows: "abcdefghij " "klmno" "pq" "rstuvw"
  size_t nK = 11;
  EXPECT_EQ(layout.MoveCaret(text, 3, win::ERowMove::Down, 3, 4), nK + 3);
  EXPECT_EQ(layout.MoveCaret(text, nK + 3, win::ERowMove::Down, 3, 4), 18u + 2);  // "pq" is short
  EXPECT_EQ(layout.MoveCaret(text, 20, win::ERowMove::Up, 3, 4), nK + 3);
  EXPECT_EQ(layout.MoveCaret(text, 3, win::ERowMove::PageDown, 1, 2), 19u);
  EXPECT_EQ(layout.MoveCaret(text, 3, win::ERowMove::RowEnd, 0, 4), 10u);  // before the blank that wraps
  EXPECT_EQ(layout.MoveCaret(text, nK + 2, win::ERowMove::RowEnd, 0, 4), 16u);
  EXPECT_EQ(layout.MoveCaret(text, nK + 2, win::ERowMove::RowStart, 0, 4), nK);
  // A click past a row's end: the end of the line, or before the wrap.
  EXPECT_EQ(layout.PositionAt(text, layout.RowAt(text, 19), 50), 20u);
  EXPECT_EQ(layout.PositionAt(text, layout.RowAt(text, 0), 50), 10u);
  EXPECT_EQ(layout.PositionAt(text, layout.RowAt(text, 0), 2.4), 2u);
  EXPECT_EQ(layout.PositionAt(text, layout.RowAt(text, 0), 2.6), 3u);
}
