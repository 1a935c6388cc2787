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
  m_rows.Layout().SetMeasure(&m_measure);
}

void CRecordCell::SetRect(const SCellRect& rect) {
  CCellWindow::SetRect(rect);
  m_rows.Layout().SetWidth(TextCells());
  m_rows.SetPageRows(PageRows());
  m_rows.ScrollBy(0);
}

void CRecordCell::ShowText(size_t nAppendedFrom) {
  if (!m_rows.Update(nAppendedFrom)) {
    // The person's own edit keeps the caret in view; other text shows from the top.
    if (m_rView.IsFeeding(m_hWnd))
      m_rows.Reveal(win::GetEditSelection(m_hWnd).Caret());
    else
      m_rows.ScrollTo({});
    Invalidate();
    return;
  }
  // New text shows only where the box had room for it; the scroll bar's
  // thumb may move with the count of lines.
  if (!m_bFull || nAppendedFrom <= m_nShownEnd || ThumbRow() != m_nThumb) Invalidate();
}

void CRecordCell::ShowSelection() {
  m_rows.Reveal(win::GetEditSelection(m_hWnd).Caret());
  Invalidate();
}

int CRecordCell::ThumbRow() const {
  size_t nLines = m_rows.Index().LineCount();
  if (nLines <= 1 || m_rect.cy <= 1) return 0;
  return static_cast<int>(std::min(m_rows.Top().nLine, nLines - 1) * static_cast<size_t>(m_rect.cy - 1) / (nLines - 1));
}

void CRecordCell::Draw(CScreen& screen) {
  const win::CTextRange text = m_rows.Text();
  int nCells = TextCells();
  auto rows = m_rows.VisibleRows();
  win::CTextSelection selection = win::GetEditSelection(m_hWnd);
  size_t nSelStart = selection.Start(), nSelEnd = selection.End();
  const EStyle textStyle = IsGreyed() ? EStyle::Greyed : EStyle::Field;
  m_caret.reset();
  for (int i = 0; i < m_rect.cy; ++i) {
    int y = m_rect.y + i;
    int x = m_rect.x;
    if (static_cast<size_t>(i) < rows.size()) {
      const view::SRow& row = rows[i];
      const std::u16string strRow = text.substr(row.nStart, row.nEnd - row.nStart).ToString();
      for (size_t n = 0; n < strRow.size();) {
        size_t nAt = row.nStart + n;
        char32_t c = ShownChar(NextChar(strRow, n));
        int nWidth = CellWidth(c);
        if (x + nWidth > m_rect.x + nCells) break;
        if (nAt == selection.Caret()) m_caret = {x, y};
        screen.PutChar(x, y, c, nAt >= nSelStart && nAt < nSelEnd ? EStyle::Selected : textStyle);
        x += nWidth;
      }
      bool bCaretHere = selection.Caret() == row.nEnd && (row.bLastOfLine || row.nEnd == text.size());
      if (!m_caret && bCaretHere) m_caret = {std::min(x, m_rect.x + nCells - 1), y};
    }
    screen.Put(x, y, u"", m_rect.x + nCells - x, textStyle);
  }
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
