#include "EditBoxRows.h"

#include <algorithm>

#include "Window.h"
#include "WindowObserver.h"

namespace view {

CEditBoxRows::CEditBoxRows(HWND hWnd) : m_hWnd(hWnd) {
  m_index.Update(Text(), CLineIndex::kAppendedNone);
  win::SetEditRows(hWnd, this);
}

CEditBoxRows::~CEditBoxRows() { win::SetEditRows(m_hWnd, nullptr); }

win::CTextRange CEditBoxRows::Text() const { return GetWindowTextShared(m_hWnd).View(); }

bool CEditBoxRows::Update(size_t nAppendedFrom) {
  bool bAppend = nAppendedFrom != win::CWindowObserver::kReplaced && nAppendedFrom == m_index.Length();
  m_index.Update(Text(), bAppend ? nAppendedFrom : CLineIndex::kAppendedNone);
  return bAppend;
}

void CEditBoxRows::ScrollBy(ptrdiff_t nRows) { m_top = m_layout.Scroll(Text(), m_top, nRows, m_nPageRows); }

void CEditBoxRows::ScrollTo(SViewTop top) { m_top = m_layout.Scroll(Text(), top, 0, m_nPageRows); }

void CEditBoxRows::Reveal(size_t nPos) {
  const win::CTextRange& text = Text();
  m_top = m_layout.Reveal(text, m_layout.Scroll(text, m_top, 0, m_nPageRows), nPos, m_nPageRows);
}

std::vector<SRow> CEditBoxRows::VisibleRows(size_t nExtra) const {
  return m_layout.Rows(Text(), m_top, m_nPageRows + nExtra);
}

double CEditBoxRows::CaretX(const win::CTextRange& text, size_t nPos) const {
  return m_layout.XOf(text, m_layout.RowAt(text, nPos), nPos);
}

size_t CEditBoxRows::MoveCaret(const win::CTextRange& text, size_t nCaret, win::ERowMove move, double fGoalX) {
  auto nPage = static_cast<ptrdiff_t>(m_nPageRows);
  if (move == win::ERowMove::PageUp) m_top = m_layout.Scroll(text, m_top, -nPage, m_nPageRows);
  if (move == win::ERowMove::PageDown) m_top = m_layout.Scroll(text, m_top, nPage, m_nPageRows);
  return m_layout.MoveCaret(text, nCaret, move, fGoalX, m_nPageRows);
}

size_t CEditBoxRows::PositionAt(const win::CTextRange& text, int x, int nRow, bool bCharUnder) const {
  std::vector<SRow> rows = m_layout.Rows(text, m_top, static_cast<size_t>(std::max(nRow, 0)) + 1);
  if (rows.empty()) return 0;
  const SRow& row = rows.back();
  size_t nPos = m_layout.PositionAt(text, row, x);
  // The character under the point, or the last one before a row's end.
  if (bCharUnder && nPos > row.nStart && (nPos == row.nEnd || m_layout.XOf(text, row, nPos) > x))
    nPos = win::PreviousStop(text, nPos);
  return nPos;
}

}  // namespace view
