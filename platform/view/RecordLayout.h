// Which rows of a record box are in view. The lines of the index are wrapped
// at the box's width when they are needed, one line at a time, so the cost
// follows the rows on screen and not the length of the record. A position in
// the box is its top row: a line and a row of that line. Also the caret's
// moves that depend on rows (up, down, pages, row start and end).
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "EditBox.h"
#include "LineIndex.h"
#include "TextMeasure.h"
#include "TextRange.h"

namespace view {

// The top row of a view: row nRow of line nLine.
struct SViewTop {
  size_t nLine = 0;
  size_t nRow = 0;
  friend auto operator<=>(const SViewTop&, const SViewTop&) = default;
};

// One row on screen: units [nStart, nEnd) of the text, with no line break.
struct SRow {
  size_t nLine = 0;
  size_t nRow = 0;
  size_t nStart = 0;
  size_t nEnd = 0;
  bool bLastOfLine = true;
};

// The rows a move goes up (negative) or down, or nothing for a move to
// its row's start or end.
std::optional<ptrdiff_t> RowMoveDelta(win::ERowMove move, size_t nPageRows);

class CRecordLayout {
 public:
  explicit CRecordLayout(const CLineIndex& index) : m_rIndex(index) {}

  // Rows wrap at fWidth measured with measure; without a measure, or with a
  // width of 0 or less, a line is one row.
  void SetMeasure(const CTextMeasure* pMeasure) { m_pMeasure = pMeasure; }
  void SetWidth(double fWidth) { m_fWidth = fWidth; }

  // Where each row of a line starts; the first is the line's start.
  std::vector<size_t> RowStarts(const win::CTextRange& text, size_t nLine) const;
  // Up to nRows rows from top on.
  std::vector<SRow> Rows(const win::CTextRange& text, SViewTop top, size_t nRows) const;
  // The row that shows the caret at nPos; at a wrap that is the next row.
  SRow RowAt(const win::CTextRange& text, size_t nPos) const;

  // The top that shows the last row at the bottom of a page of nPageRows.
  SViewTop LastTop(const win::CTextRange& text, size_t nPageRows) const;
  // The top nDelta rows away, kept between the first row and LastTop.
  SViewTop Scroll(const win::CTextRange& text, SViewTop top, ptrdiff_t nDelta, size_t nPageRows) const;
  // top, or the nearest top that shows the row of nPos.
  SViewTop Reveal(const win::CTextRange& text, SViewTop top, size_t nPos, size_t nPageRows) const;

  // The x at which position nPos of row is drawn, and the caret stop in row
  // nearest to fX.
  double XOf(const win::CTextRange& text, const SRow& row, size_t nPos) const;
  size_t PositionAt(const win::CTextRange& text, const SRow& row, double fX) const;

  // Where a move by rows takes the caret. fGoalX is where up and down aim,
  // kept by the caller from the last move that was not up or down.
  size_t MoveCaret(const win::CTextRange& text, size_t nCaret, win::ERowMove move, double fGoalX,
                   size_t nPageRows) const;

 private:
  SRow MakeRow(const std::vector<size_t>& starts, const win::CTextRange& text, size_t nLine, size_t nRow) const;
  // The row nDelta rows from top, stopping at the first and the last row.
  SViewTop Step(const win::CTextRange& text, SViewTop top, ptrdiff_t nDelta) const;
  size_t RowCount(const win::CTextRange& text, size_t nLine) const { return RowStarts(text, nLine).size(); }

  const CLineIndex& m_rIndex;
  const CTextMeasure* m_pMeasure = nullptr;
  double m_fWidth = 0;
};

}  // namespace view
