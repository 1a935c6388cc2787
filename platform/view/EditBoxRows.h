// An edit box as a view lays it out: the line index over the window's text,
// its rows wrapped at the view's width and measure, and the rows in view. It
// is lent to the window system as the box's rows, so the box's rules move the
// caret by the rows the person sees, and it turns a point of the box into a
// position of the text.
#pragma once

#include <cstddef>
#include <vector>

#include "EditBox.h"
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
  SViewTop Top() const { return m_top; }
  size_t PageRows() const { return m_nPageRows; }
  void SetPageRows(size_t nRows) { m_nPageRows = nRows < 1 ? 1 : nRows; }

  // Brings the index up to the window's text; true when the text only grew.
  bool Update(size_t nAppendedFrom);
  // Scrolls by nRows, or to top, kept between the first row and the last page.
  void ScrollBy(ptrdiff_t nRows);
  void ScrollTo(SViewTop top);
  // Scrolls the least that shows the row of nPos.
  void Reveal(size_t nPos);
  // The rows in view, and nExtra more below them.
  std::vector<SRow> VisibleRows(size_t nExtra = 0) const;

  double CaretX(const win::CTextRange& text, size_t nPos) const override;
  size_t MoveCaret(const win::CTextRange& text, size_t nCaret, win::ERowMove move, double fGoalX) override;
  size_t PositionAt(const win::CTextRange& text, int x, int nRow, bool bCharUnder) const override;

 private:
  HWND m_hWnd;
  CLineIndex m_index;
  CRecordLayout m_layout{m_index};
  SViewTop m_top;
  size_t m_nPageRows = 1;
};

}  // namespace view
