// The rows of a record box in hex form: up to win::kHexRowUnits units a row
// (fewer, halved, where the box is too narrow for them), a row also ending
// where a block begins after a pause (the window system decides where). A
// row's place is its first unit; a row is found from any unit through the
// text's append times, so, as with text, only the rows in view are laid out.
// Across a row, unit k's two digits and a blank take one step, and the
// character column follows the steps of a full row and one more blank; in a
// grid of cells that is win::HexColumnCell cells.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "AppendTimes.h"
#include "EditBox.h"
#include "RecordLayout.h"
#include "TextMeasure.h"

namespace view {

class CHexLayout {
 public:
  explicit CHexLayout(const win::CAppendTimes& times) : m_rTimes(times) {}

  void SetMeasure(const CTextMeasure* pMeasure);
  // The cell of one hex digit (the widest), a blank, and a unit's digits and their blank.
  double Cell() const { return m_fCell; }
  double Blank() const { return m_fBlank; }
  double Step() const { return 2 * Cell() + Blank(); }
  // Fits the rows to fWidth; true when their length changed.
  bool SetWidth(double fWidth);
  size_t RowUnits() const { return m_nRowUnits; }
  double ColumnStart() const { return Step() * static_cast<double>(m_nRowUnits) + Blank(); }

  // Up to nRows rows from the row that starts at nTop on. A row's nLine is
  // its start, and only the text's last row owns the text's end.
  std::vector<SRow> Rows(const win::CTextRange& text, size_t nTop, size_t nRows) const;
  SRow RowAt(const win::CTextRange& text, size_t nPos) const;

  // The top row that shows the last row at the bottom of a page.
  size_t LastTop(const win::CTextRange& text, size_t nPageRows) const;
  size_t Scroll(const win::CTextRange& text, size_t nTop, ptrdiff_t nDelta, size_t nPageRows) const;
  size_t Reveal(const win::CTextRange& text, size_t nTop, size_t nPos, size_t nPageRows) const;

  // Where unit nPos's digits start (also where the caret before it stands),
  // and where its character is drawn.
  double XOf(const SRow& row, size_t nPos) const;
  double ColumnX(const win::CTextRange& text, const SRow& row, size_t nPos) const;
  // The caret stop nearest to fX, over the digits or the characters; with
  // bCharUnder the unit under fX.
  size_t PositionAt(const win::CTextRange& text, const SRow& row, double fX, bool bCharUnder) const;
  size_t MoveCaret(const win::CTextRange& text, size_t nCaret, win::ERowMove move, double fGoalX,
                   size_t nPageRows) const;

 private:
  SRow MakeRow(const win::CTextRange& text, win::SHexRow hex) const;
  size_t Step(const win::CTextRange& text, size_t nTop, ptrdiff_t nDelta) const;

  const win::CAppendTimes& m_rTimes;
  const CTextMeasure* m_pMeasure = nullptr;
  double m_fCell = 1;
  double m_fBlank = 1;
  size_t m_nRowUnits = win::kHexRowUnits;
};

}  // namespace view
