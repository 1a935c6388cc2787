#include "RecordCell.h"

#include <algorithm>

#include "CellHost.h"
#include "CellText.h"
#include "UserInput.h"
#include "Window.h"

namespace tui {

namespace {
constexpr ptrdiff_t kWheelRows = 3;
}  // namespace

CRecordCell::CRecordCell(CCellHost& host, HWND hWnd) : CCellWindow(host, hWnd), m_rows(hWnd) {
  m_rows.SetMeasure(&m_measure);
}

void CRecordCell::SetRect(const SCellRect& rect) {
  CCellWindow::SetRect(rect);
  m_rows.SetWidth(TextCells());
  m_rows.SetPageRows(PageRows());
  m_rows.ScrollBy(0);
}

void CRecordCell::ShowText(size_t nAppendedFrom) {
  if (!m_rows.Update(nAppendedFrom)) {
    // The person's own edit keeps the caret in view; other text shows from the top.
    if (m_rView.IsFeeding(m_hWnd))
      m_rows.Reveal(win::GetEditSelection(m_hWnd).Caret());
    else
      m_rows.ScrollHome();
    Invalidate();
    return;
  }
  // New text shows only where the box had room for it; the scroll bar's
  // thumb may move with the count of lines.
  if (!m_bFull || nAppendedFrom <= m_nShownEnd || ThumbRow() != m_nThumb) Invalidate();
}

void CRecordCell::ShowForm() {
  if (m_rows.SyncForm()) Invalidate();
}

void CRecordCell::ShowSelection() {
  m_rows.Reveal(win::GetEditSelection(m_hWnd).Caret());
  Invalidate();
}

int CRecordCell::ThumbRow() const {
  size_t nMax = m_rows.ScrollMax();
  if (nMax == 0 || m_rect.cy <= 1) return 0;
  return static_cast<int>(std::min(m_rows.ScrollValue(), nMax) * static_cast<size_t>(m_rect.cy - 1) / nMax);
}

int CRecordCell::DrawHexRow(CScreen& screen, int x0, int y, const view::SRow& row) {
  const win::CTextRange text = m_rows.Text();
  win::CTextSelection selection = win::GetEditSelection(m_hWnd);
  const EStyle textStyle = IsGreyed() ? EStyle::Greyed : EStyle::Field;
  auto styleOf = [&](size_t n) { return n >= selection.Start() && n < selection.End() ? EStyle::Selected : textStyle; };
  const int nRight = m_rect.x + TextCells(), xColumn0 = x0 + static_cast<int>(m_rows.Hex().ColumnStart());
  std::u16string shown = win::HexRowText(text, {row.nStart, row.nEnd}, m_rows.HexRowUnits());
  int xColumn = xColumn0;
  for (size_t n = row.nStart; n < row.nEnd; ++n) {
    int xDigits = x0 + static_cast<int>(3 * (n - row.nStart));
    if (n == selection.Caret() && xDigits < nRight) m_caret = {xDigits, y};
    // The blank after a unit's digits is selected with it, unless it ends the selection.
    for (int k = 0; k < 3 && xDigits + k < nRight; ++k)
      screen.PutChar(xDigits + k, y, shown[3 * (n - row.nStart) + static_cast<size_t>(k)],
                     k == 2 && n + 1 >= selection.End() ? textStyle : styleOf(n));
    char32_t c = win::HexColumnChar(text, {row.nStart, row.nEnd}, n);
    if (!c) continue;
    c = ShownChar(c);
    if (xColumn + CellWidth(c) <= nRight) screen.PutChar(xColumn, y, c, styleOf(n));
    xColumn += CellWidth(c);
  }
  int xEnd = x0 + static_cast<int>(3 * (row.nEnd - row.nStart));
  if (xEnd < nRight) screen.Put(xEnd, y, u"", std::min(xColumn0, nRight) - xEnd, textStyle);
  if (!m_caret && selection.Caret() == row.nEnd && row.bLastOfLine) m_caret = {std::min(xEnd, nRight - 1), y};
  return std::min(xColumn, nRight);
}

void CRecordCell::DrawRow(CScreen& screen, int i, const view::SRow* pRow) {
  const win::CTextRange text = m_rows.Text();
  win::CTextSelection selection = win::GetEditSelection(m_hWnd);
  size_t nSelStart = selection.Start(), nSelEnd = selection.End();
  const EStyle textStyle = IsGreyed() ? EStyle::Greyed : EStyle::Field;
  auto styleOf = [&](size_t n) { return n >= nSelStart && n < nSelEnd ? EStyle::Selected : textStyle; };
  const int nRight = m_rect.x + TextCells(), y = m_rect.y + i;
  int x = m_rect.x;
  if (m_rows.Form().bTimes) {
    std::u16string margin = pRow ? m_rows.MarginText(*pRow) : u"";
    int nMargin = static_cast<int>(m_rows.MarginWidth());
    screen.Put(x, y, margin, std::min(nMargin, nRight - x), EStyle::Greyed);
    x += nMargin;
  }
  if (pRow && m_rows.Form().bHex) {
    x = DrawHexRow(screen, x, y, *pRow);
  } else if (pRow) {
    const view::SRow& row = *pRow;
    const std::u16string strRow = text.substr(row.nStart, row.nEnd - row.nStart).ToString();
    for (size_t n = 0; n < strRow.size();) {
      size_t nAt = row.nStart + n;
      char32_t c = ShownChar(NextChar(strRow, n));
      int nWidth = CellWidth(c);
      if (x + nWidth > nRight) break;
      if (nAt == selection.Caret()) m_caret = {x, y};
      screen.PutChar(x, y, c, styleOf(nAt));
      x += nWidth;
    }
    bool bCaretHere = selection.Caret() == row.nEnd && (row.bLastOfLine || row.nEnd == text.size());
    if (!m_caret && bCaretHere) m_caret = {std::min(x, nRight - 1), y};
  }
  if (x < nRight) screen.Put(x, y, u"", nRight - x, textStyle);
}

void CRecordCell::Draw(CScreen& screen) {
  auto rows = m_rows.VisibleRows();
  m_caret.reset();
  for (int i = 0; i < m_rect.cy; ++i)
    DrawRow(screen, i, static_cast<size_t>(i) < rows.size() ? &rows[static_cast<size_t>(i)] : nullptr);
  m_bFull = rows.size() >= PageRows();
  m_nShownEnd = rows.empty() ? 0 : rows.back().nEnd;
  m_nDrawnLength = m_rows.Index().Length();
  m_nThumb = ThumbRow();
  // The focused box shows it in its scroll bar.
  bool bFocus = HasFocus();
  int xBar = m_rect.x + m_rect.cx - 1;
  for (int i = 0; i < m_rect.cy; ++i)
    screen.PutChar(xBar, m_rect.y + i, i == m_nThumb ? U'\u2588' : U'\u2591',
                   i == m_nThumb ? EStyle::Thumb : (bFocus ? EStyle::Focused : EStyle::ScrollBar));
}

std::optional<std::pair<int, int>> CRecordCell::Caret() const { return m_caret; }

void CRecordCell::ScrollBy(ptrdiff_t nRows) {
  m_rows.ScrollBy(nRows);
  Invalidate();
}

void CRecordCell::HandMouse(UINT message, const SInput& in) {
  UINT nModifiers = in.bShift ? win::input::kShift : 0;
  m_rView.Feed(m_hWnd, [&] { win::input::Mouse(m_hWnd, message, in.x - m_rect.x, in.y - m_rect.y, nModifiers); });
}

bool CRecordCell::Mouse(const SInput& in) {
  switch (in.mouse) {
    case EMouse::WheelUp:
      ScrollBy(-kWheelRows);
      return true;
    case EMouse::WheelDown:
      ScrollBy(kWheelRows);
      return true;
    case EMouse::Press:
      if (in.x == m_rect.x + m_rect.cx - 1) {
        // The scroll bar pages towards the click.
        ScrollBy(in.y - m_rect.y < m_nThumb ? -static_cast<ptrdiff_t>(PageRows()) : static_cast<ptrdiff_t>(PageRows()));
        return true;
      }
      m_rView.Feed(m_hWnd, [&] { win::input::Focus(m_hWnd); });
      m_bDragging = true;
      HandMouse(WM_LBUTTONDOWN, in);
      return true;
    case EMouse::Drag:
      if (m_bDragging) HandMouse(WM_MOUSEMOVE, in);
      return true;
    case EMouse::Release:
      if (m_bDragging) {
        HandMouse(WM_MOUSEMOVE, in);
        HandMouse(WM_LBUTTONUP, in);
        SendMessage(m_hWnd, WM_COPY, 0, 0);
      }
      m_bDragging = false;
      return true;
    case EMouse::RightPress:
      // The view asks the window for its menu.
      return false;
  }
  return true;
}

}  // namespace tui
