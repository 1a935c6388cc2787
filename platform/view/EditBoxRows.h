// An edit box as a view lays it out: the line index over the window's text,
// its rows in the box's form (text wrapped at the view's width and measure,
// or hex rows), a margin for the times when the form has them, and the rows
// in view. It is lent to the window system as the box's rows, so the box's
// rules move the caret by the rows the person sees, and it turns a point of
// the box into a position of the text.
#pragma once

#include <cstddef>
#include <vector>

#include "EditBox.h"
#include "HexLayout.h"
#include "LineIndex.h"
#include "RecordLayout.h"
#include "TextRange.h"

namespace view {

class CEditBoxRows final : public win::CEditRows {
 public:
  // Lends itself to the box until it goes.
  explicit CEditBoxRows(HWND hWnd);
  ~CEditBoxRows() override;
  CEditBoxRows(const CEditBoxRows&) = delete;
  CEditBoxRows& operator=(const CEditBoxRows&) = delete;

  win::CTextRange Text() const;
  const CLineIndex& Index() const { return m_index; }
  CRecordLayout& Layout() { return m_layout; }
  const CRecordLayout& Layout() const { return m_layout; }
  const CHexLayout& Hex() const { return m_hex; }
  const win::CAppendTimes& Times() const { return win::GetTextTimes(m_hWnd); }
  SViewTop Top() const { return m_top; }
  size_t PageRows() const { return m_nPageRows; }
  void SetPageRows(size_t nRows) { m_nPageRows = nRows < 1 ? 1 : nRows; }
  // The measure and the width of the box's text, the margin included.
  void SetMeasure(const CTextMeasure* pMeasure);
  void SetWidth(double fWidth);

  // The form shown: the box's, as of the last SyncForm.
  win::SEditForm Form() const { return m_form; }
  // Takes up the box's form; true when it changed. The first unit in view
  // stays in view.
  bool SyncForm();
  // The width of the times' margin, 0 without it; rows are laid out and
  // their x measured after it.
  double MarginWidth() const;
  // What the margin shows beside row, empty for a row that goes on a line.
  std::u16string MarginText(const SRow& row) const;

  // Brings the index up to the window's text; true when the text only grew.
  bool Update(size_t nAppendedFrom);
  // Scrolls by nRows, or to top, kept between the first row and the last page.
  void ScrollBy(ptrdiff_t nRows);
  void ScrollTo(SViewTop top);
  void ScrollHome();
  // Scrolls the least that shows the row of nPos.
  void Reveal(size_t nPos);
  size_t FirstInView() const;
  // The rows in view, and nExtra more below them.
  std::vector<SRow> VisibleRows(size_t nExtra = 0) const;
  // The row that shows the caret at nPos, and the x of nPos in row.
  SRow RowAt(size_t nPos) const;
  double XOf(const SRow& row, size_t nPos) const;

  // A scroll bar's place: lines in text form, rows of full length in hex
  // form; ScrollMax is the last page's.
  size_t ScrollMax() const;
  size_t ScrollValue() const;
  void ScrollToValue(size_t nValue);

  double CaretX(const win::CTextRange& text, size_t nPos) const override;
  size_t MoveCaret(const win::CTextRange& text, size_t nCaret, win::ERowMove move, double fGoalX) override;
  size_t PositionAt(const win::CTextRange& text, int x, int nRow, bool bCharUnder) const override;
  size_t HexRowUnits() const override { return m_hex.RowUnits(); }

 private:
  void ApplyWidth();

  HWND m_hWnd;
  CLineIndex m_index;
  CRecordLayout m_layout{m_index};
  CHexLayout m_hex{win::GetTextTimes(m_hWnd)};
  win::SEditForm m_form;
  double m_fWidth = 0;
  SViewTop m_top;
  size_t m_nHexTop = 0;
  size_t m_nPageRows = 1;
};

}  // namespace view
