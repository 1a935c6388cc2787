#include "FieldCell.h"

#include <algorithm>

#include "CellHost.h"
#include "CellText.h"
#include "UserInput.h"
#include "Window.h"

namespace tui {

namespace {

int CellsBetween(const win::CTextRange& text, size_t nFrom, size_t nTo) {
  return TextCells(text.substr(nFrom, nTo - nFrom).ToString());
}

// Whether units [nFrom, nTo) fit in nCells, measured no further than that:
// a draw costs what is in view, however long the text.
bool Fits(const win::CTextRange& text, size_t nFrom, size_t nTo, int nCells) {
  int nUsed = 0;
  for (size_t i = nFrom; i < nTo && nUsed <= nCells;) nUsed += CellWidth(ShownChar(NextChar(text, i)));
  return nUsed <= nCells;
}

// The first unit, not before nFrom, from which the caret at nCaret shows in
// nCells with a cell left for it: walked back from the caret.
size_t FirstShowing(const win::CTextRange& text, size_t nFrom, size_t nCaret, int nCells) {
  size_t nStart = nCaret;
  int nUsed = 0;
  while (nStart > nFrom) {
    size_t nBefore = win::PreviousStop(text, nStart), i = nBefore;
    nUsed += CellWidth(ShownChar(NextChar(text, i)));
    if (nUsed >= nCells) break;
    nStart = nBefore;
  }
  return nStart;
}

}  // namespace

CFieldCell::CFieldCell(CCellHost& host, HWND hWnd) : CCellWindow(host, hWnd), m_rows(hWnd) {
  m_rows.Layout().SetMeasure(&m_measure);
}

void CFieldCell::Press(int x, int y) {
  m_rView.Feed(m_hWnd, [&] { win::input::Focus(m_hWnd); });
  int nRow = y - m_field.y, nCell = x - m_field.x;
  // A field of one row counts its cells from the start of the row it is
  // scrolled into: the index holds a long text as rows of pieces.
  if (m_field.cy <= 1) {
    const win::CTextRange text = m_rows.Text();
    view::SRow row = m_rows.Layout().RowAt(text, m_nScroll);
    nRow = static_cast<int>(row.nLine);
    nCell += CellsBetween(text, row.nStart, std::min(m_nScroll, text.size()));
  }
  m_rView.Feed(m_hWnd, [&] {
    win::input::Mouse(m_hWnd, WM_LBUTTONDOWN, nCell, nRow);
    win::input::Mouse(m_hWnd, WM_LBUTTONUP, nCell, nRow);
  });
}

void CFieldCell::ShowText(size_t nAppendedFrom) {
  m_rows.Update(nAppendedFrom);
  // Text set by code, not typed here, shows from its start.
  if (!m_rView.IsFeeding(m_hWnd)) {
    m_nScroll = 0;
    m_rows.ScrollTo({});
  }
  Invalidate();
}

void CFieldCell::ShowSelection() { Invalidate(); }

void CFieldCell::DrawRow(CScreen& screen, int x, int y, int nCells, const view::SRow& row, size_t nFrom) {
  const win::CTextRange text = m_rows.Text();
  win::CTextSelection sel = win::GetEditSelection(m_hWnd);
  // A selection shows while the field has the focus.
  bool bFocus = HasFocus();
  int nEnd = x + nCells;
  for (size_t n = nFrom; n < row.nEnd;) {
    size_t nAt = n;
    char32_t c = ShownChar(NextChar(text, n));
    int nWidth = CellWidth(c);
    if (x + nWidth > nEnd) break;
    if (nAt == sel.Caret()) m_caret = {x, y};
    bool bSelected = bFocus && nAt >= sel.Start() && nAt < sel.End();
    screen.PutChar(x, y, c, bSelected ? EStyle::Selected : EStyle::Field);
    x += nWidth;
  }
  if (!m_caret && sel.Caret() == row.nEnd && (row.bLastOfLine || row.nEnd == text.size()))
    m_caret = {std::min(x, nEnd - 1), y};
  screen.Put(x, y, u"", nEnd - x, EStyle::Field);
}

void CFieldCell::DrawField(CScreen& screen, const SCellRect& box) {
  // A tag stands at the top row's right edge, a blank before it; the text
  // keeps to the cells left of it.
  SCellRect rect = box;
  std::u16string tag = win::GetEditTag(m_hWnd);
  if (int nTag = tag.empty() ? 0 : TextCells(tag) + 1; nTag > 0 && nTag < box.cx) {
    rect.cx -= nTag;
    screen.Put(rect.x + rect.cx, box.y, u" " + tag, nTag, EStyle::Field);
    for (int i = 1; i < box.cy; ++i) screen.Put(rect.x + rect.cx, box.y + i, u"", nTag, EStyle::Field);
  }
  const win::CTextRange text = m_rows.Text();
  size_t nCaret = win::GetEditSelection(m_hWnd).Caret();
  m_caret.reset();
  if (rect.cx != m_field.cx || rect.cy != m_field.cy) {
    // Rows wrap only in a field given more than one.
    m_rows.Layout().SetWidth(rect.cy > 1 ? rect.cx : 0);
    m_rows.SetPageRows(static_cast<size_t>(std::max(1, rect.cy)));
  }
  m_field = rect;
  if (rect.cy <= 1) {
    // The whole text is its row, however many pieces the index holds it in.
    view::SRow row{.nEnd = text.size()};
    // The caret stays in view, with room for it after the last character.
    m_nScroll = std::clamp(m_nScroll, row.nStart, std::max(row.nStart, std::min(nCaret, row.nEnd)));
    if (Fits(text, row.nStart, row.nEnd, rect.cx))
      m_nScroll = row.nStart;
    else
      m_nScroll = FirstShowing(text, m_nScroll, nCaret, rect.cx);
    DrawRow(screen, rect.x, rect.y, rect.cx, row, m_nScroll);
    return;
  }
  m_rows.Reveal(nCaret);
  std::vector<view::SRow> rows = m_rows.VisibleRows(1);
  for (int i = 0; i < rect.cy; ++i) {
    if (static_cast<size_t>(i) < rows.size())
      DrawRow(screen, rect.x, rect.y + i, rect.cx, rows[static_cast<size_t>(i)], rows[static_cast<size_t>(i)].nStart);
    else
      screen.Put(rect.x, rect.y + i, u"", rect.cx, EStyle::Field);
  }
  if (rows.size() > static_cast<size_t>(rect.cy)) {
    // More follows: an ellipsis after the last row's text, or on its last cell.
    const view::SRow& last = rows[static_cast<size_t>(rect.cy) - 1];
    int nAfter = std::min(CellsBetween(text, last.nStart, last.nEnd), rect.cx - 1);
    screen.Put(rect.x + nAfter, rect.y + rect.cy - 1, u"\u2026", 1, EStyle::Field);
  }
}

}  // namespace tui
