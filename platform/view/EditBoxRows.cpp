#include "EditBoxRows.h"

#include <algorithm>

#include "Window.h"
#include "WindowObserver.h"

namespace view {

namespace {
// The margin's digits' cells: hh:mm:ss.mmm and a blank.
constexpr double kMarginCells = 13;
}  // namespace

CEditBoxRows::CEditBoxRows(HWND hWnd) : m_hWnd(hWnd) {
  m_index.Update(Text(), CLineIndex::kAppendedNone);
  win::SetEditRows(hWnd, this);
}

CEditBoxRows::~CEditBoxRows() { win::SetEditRows(m_hWnd, nullptr); }

win::CTextRange CEditBoxRows::Text() const { return GetWindowTextShared(m_hWnd).View(); }

void CEditBoxRows::SetMeasure(const CTextMeasure* pMeasure) {
  m_layout.SetMeasure(pMeasure);
  m_hex.SetMeasure(pMeasure);
  ApplyWidth();
}

void CEditBoxRows::SetWidth(double fWidth) {
  m_fWidth = fWidth;
  ApplyWidth();
}

void CEditBoxRows::ApplyWidth() {
  m_layout.SetWidth(m_fWidth - MarginWidth());
  // Rows of another length start elsewhere: the top is the row that holds it.
  if (m_hex.SetWidth(m_fWidth - MarginWidth())) m_nHexTop = m_hex.RowAt(Text(), m_nHexTop).nStart;
}

double CEditBoxRows::MarginWidth() const { return m_form.bTimes ? kMarginCells * m_hex.Cell() : 0; }

std::u16string CEditBoxRows::MarginText(const SRow& row) const {
  if (!m_form.bTimes || (!m_form.bHex && row.nRow > 0)) return {};
  return win::FormatTime(Times().TimeAt(row.nStart));
}

bool CEditBoxRows::SyncForm() {
  win::SEditForm form = win::GetEditForm(m_hWnd);
  if (form == m_form) return false;
  size_t nFirst = FirstInView();
  m_form = form;
  ApplyWidth();
  if (m_form.bHex) {
    m_nHexTop = m_hex.Scroll(Text(), nFirst, 0, m_nPageRows);
  } else {
    SRow row = m_layout.RowAt(Text(), nFirst);
    ScrollTo({row.nLine, row.nRow});
  }
  return true;
}

bool CEditBoxRows::Update(size_t nAppendedFrom) {
  bool bAppend = nAppendedFrom != win::CWindowObserver::kReplaced && nAppendedFrom == m_index.Length();
  m_index.Update(Text(), bAppend ? nAppendedFrom : CLineIndex::kAppendedNone);
  return bAppend;
}

void CEditBoxRows::ScrollBy(ptrdiff_t nRows) {
  if (m_form.bHex)
    m_nHexTop = m_hex.Scroll(Text(), m_nHexTop, nRows, m_nPageRows);
  else
    m_top = m_layout.Scroll(Text(), m_top, nRows, m_nPageRows);
}

void CEditBoxRows::ScrollTo(SViewTop top) { m_top = m_layout.Scroll(Text(), top, 0, m_nPageRows); }

void CEditBoxRows::ScrollHome() {
  m_nHexTop = 0;
  ScrollTo({});
}

void CEditBoxRows::Reveal(size_t nPos) {
  const win::CTextRange text = Text();
  if (m_form.bHex)
    m_nHexTop = m_hex.Reveal(text, m_hex.Scroll(text, m_nHexTop, 0, m_nPageRows), nPos, m_nPageRows);
  else
    m_top = m_layout.Reveal(text, m_layout.Scroll(text, m_top, 0, m_nPageRows), nPos, m_nPageRows);
}

size_t CEditBoxRows::FirstInView() const {
  std::vector<SRow> rows = VisibleRows();
  return rows.empty() ? 0 : rows.front().nStart;
}

std::vector<SRow> CEditBoxRows::VisibleRows(size_t nExtra) const {
  if (m_form.bHex) return m_hex.Rows(Text(), m_nHexTop, m_nPageRows + nExtra);
  return m_layout.Rows(Text(), m_top, m_nPageRows + nExtra);
}

SRow CEditBoxRows::RowAt(size_t nPos) const {
  return m_form.bHex ? m_hex.RowAt(Text(), nPos) : m_layout.RowAt(Text(), nPos);
}

double CEditBoxRows::XOf(const SRow& row, size_t nPos) const {
  return m_form.bHex ? m_hex.XOf(row, nPos) : m_layout.XOf(Text(), row, nPos);
}

size_t CEditBoxRows::ScrollMax() const {
  const win::CTextRange text = Text();
  if (m_form.bHex) return (m_hex.LastTop(text, m_nPageRows) + m_hex.RowUnits() - 1) / m_hex.RowUnits();
  SViewTop last = m_layout.LastTop(text, m_nPageRows);
  return last.nLine + (last.nRow > 0 ? 1 : 0);
}

size_t CEditBoxRows::ScrollValue() const {
  const win::CTextRange text = Text();
  if (m_form.bHex) return m_nHexTop >= m_hex.LastTop(text, m_nPageRows) ? ScrollMax() : m_nHexTop / m_hex.RowUnits();
  return m_top >= m_layout.LastTop(text, m_nPageRows) ? ScrollMax() : m_top.nLine;
}

void CEditBoxRows::ScrollToValue(size_t nValue) {
  const win::CTextRange text = Text();
  bool bLast = nValue >= ScrollMax();
  if (m_form.bHex)
    m_nHexTop = bLast ? m_hex.LastTop(text, m_nPageRows)
                      : m_hex.Scroll(text, m_hex.RowAt(text, nValue * m_hex.RowUnits()).nStart, 0, m_nPageRows);
  else
    ScrollTo(bLast ? m_layout.LastTop(text, m_nPageRows) : SViewTop{nValue, 0});
}

double CEditBoxRows::CaretX(const win::CTextRange&, size_t nPos) const { return XOf(RowAt(nPos), nPos); }

size_t CEditBoxRows::MoveCaret(const win::CTextRange& text, size_t nCaret, win::ERowMove move, double fGoalX) {
  auto nPage = static_cast<ptrdiff_t>(m_nPageRows);
  if (move == win::ERowMove::PageUp) ScrollBy(-nPage);
  if (move == win::ERowMove::PageDown) ScrollBy(nPage);
  if (m_form.bHex) return m_hex.MoveCaret(text, nCaret, move, fGoalX, m_nPageRows);
  return m_layout.MoveCaret(text, nCaret, move, fGoalX, m_nPageRows);
}

size_t CEditBoxRows::PositionAt(const win::CTextRange& text, int x, int nRow, bool bCharUnder) const {
  std::vector<SRow> rows = m_form.bHex ? m_hex.Rows(text, m_nHexTop, static_cast<size_t>(std::max(nRow, 0)) + 1)
                                       : m_layout.Rows(text, m_top, static_cast<size_t>(std::max(nRow, 0)) + 1);
  if (rows.empty()) return 0;
  const SRow& row = rows.back();
  double fX = x - MarginWidth();
  if (m_form.bHex) return m_hex.PositionAt(text, row, fX, bCharUnder);
  size_t nPos = m_layout.PositionAt(text, row, fX);
  // The character under the point, or the last one before a row's end.
  if (bCharUnder && nPos > row.nStart && (nPos == row.nEnd || m_layout.XOf(text, row, nPos) > fX))
    nPos = win::PreviousStop(text, nPos);
  return nPos;
}

}  // namespace view
