#include "RecordCell.h"

#include <algorithm>

#include "CellText.h"
#include "TextView.h"
#include "UserInput.h"
#include "Window.h"

namespace tui {

namespace {
constexpr ptrdiff_t kWheelRows = 3;
// More than a terminal's clipboard takes in one OSC 52.
constexpr size_t kMaxCopy = 1 << 20;
}  // namespace

double CCellMeasure::Advance(char32_t c, double) const { return CellWidth(ShownChar(c)); }

CRecordCell::CRecordCell(CTextView& view, HWND hWnd) : CCellWindow(view, hWnd) {
  m_layout.SetMeasure(&m_measure);
  m_index.Update(Text(), view::CLineIndex::kAppendedNone);
}

std::u16string_view CRecordCell::Text() const { return GetWindowTextShared(m_hWnd).View(); }

void CRecordCell::SetRect(const SCellRect& rect) {
  CCellWindow::SetRect(rect);
  m_layout.SetWidth(TextCells());
  m_top = m_layout.Scroll(Text(), m_top, 0, PageRows());
}

void CRecordCell::ShowText(size_t nAppendedFrom) {
  std::u16string_view text = Text();
  bool bAppend = nAppendedFrom != win::CWindowObserver::kReplaced && nAppendedFrom == m_index.Length();
  m_index.Update(text, bAppend ? nAppendedFrom : view::CLineIndex::kAppendedNone);
  if (!bAppend) {
    m_selection.Clamp(text.size());
    m_top = m_layout.Scroll(text, m_top, 0, PageRows());
    Invalidate();
    return;
  }
  // New text shows only where the box had room for it; the scroll bar's
  // thumb may move with the count of lines.
  if (!m_bFull || nAppendedFrom <= m_nShownEnd || ThumbRow() != m_nThumb) Invalidate();
}

int CRecordCell::ThumbRow() const {
  size_t nLines = m_index.LineCount();
  if (nLines <= 1 || m_rect.cy <= 1) return 0;
  return static_cast<int>(std::min(m_top.nLine, nLines - 1) * static_cast<size_t>(m_rect.cy - 1) / (nLines - 1));
}

void CRecordCell::Draw(CScreen& screen) {
  std::u16string_view text = Text();
  int nCells = TextCells();
  auto rows = m_layout.Rows(text, m_top, PageRows());
  size_t nSelStart = m_selection.Start(), nSelEnd = m_selection.End();
  m_caret.reset();
  for (int i = 0; i < m_rect.cy; ++i) {
    int y = m_rect.y + i;
    int x = m_rect.x;
    if (static_cast<size_t>(i) < rows.size()) {
      const view::SRow& row = rows[i];
      for (size_t n = row.nStart; n < row.nEnd;) {
        size_t nAt = n;
        char32_t c = ShownChar(NextChar(text, n));
        int nWidth = CellWidth(c);
        if (x + nWidth > m_rect.x + nCells) break;
        if (nAt == m_selection.Caret()) m_caret = {x, y};
        screen.PutChar(x, y, c, nAt >= nSelStart && nAt < nSelEnd ? EStyle::Selected : EStyle::Field);
        x += nWidth;
      }
      bool bCaretHere = m_selection.Caret() == row.nEnd && (row.bLastOfLine || row.nEnd == text.size());
      if (!m_caret && bCaretHere) m_caret = {std::min(x, m_rect.x + nCells - 1), y};
    }
    screen.Put(x, y, u"", m_rect.x + nCells - x, EStyle::Field);
  }
  m_bFull = rows.size() >= PageRows();
  m_nShownEnd = rows.empty() ? 0 : rows.back().nEnd;
  m_nDrawnLength = m_index.Length();
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
  m_top = m_layout.Scroll(Text(), m_top, nRows, PageRows());
  Invalidate();
}

void CRecordCell::MoveTo(size_t nPos, bool bExtend) {
  m_selection.MoveCaret(nPos, bExtend);
  m_top = m_layout.Reveal(Text(), m_top, nPos, PageRows());
  Invalidate();
}

void CRecordCell::CopySelection() {
  if (m_selection.IsEmpty()) return;
  size_t nStart = m_selection.Start();
  m_rView.Copy(Text().substr(nStart, std::min(m_selection.End() - nStart, kMaxCopy)));
}

bool CRecordCell::Type(const SInput& in) {
  std::u16string_view text = Text();
  size_t nStart = std::min(m_selection.Start(), text.size()), nEnd = std::min(m_selection.End(), text.size());
  if (nStart == nEnd) {
    if (in.key == EKey::Backspace && nStart > 0) nStart = view::PreviousStop(text, nStart);
    if (in.key == EKey::Delete && nEnd < text.size()) nEnd = view::NextStop(text, nEnd);
  }
  std::u16string typed;
  if (in.key == EKey::Char) {
    if (in.ch >= 0x10000) {
      typed += static_cast<char16_t>(0xD800 + ((in.ch - 0x10000) >> 10));
      typed += static_cast<char16_t>(0xDC00 + ((in.ch - 0x10000) & 0x3FF));
    } else {
      typed += static_cast<char16_t>(in.ch);
    }
  }
  if (nStart == nEnd && typed.empty()) return true;
  std::u16string edited(text.substr(0, nStart));
  edited += typed;
  edited += text.substr(nEnd);
  m_rView.Feed(m_hWnd, [&] { win::input::Edit(m_hWnd, edited); });
  MoveTo(nStart + typed.size(), false);
  return true;
}

bool CRecordCell::Key(const SInput& in) {
  using view::ECaretMove;
  if (in.key == EKey::Char || in.key == EKey::Backspace || in.key == EKey::Delete) return Type(in);
  std::u16string_view text = Text();
  std::optional<ECaretMove> move;
  switch (in.key) {
    case EKey::Up:
      move = ECaretMove::Up;
      break;
    case EKey::Down:
      move = ECaretMove::Down;
      break;
    case EKey::Left:
      move = ECaretMove::Left;
      break;
    case EKey::Right:
      move = ECaretMove::Right;
      break;
    case EKey::PageUp:
      move = ECaretMove::PageUp;
      break;
    case EKey::PageDown:
      move = ECaretMove::PageDown;
      break;
    case EKey::Home:
      move = in.bShift ? ECaretMove::RowStart : ECaretMove::Start;
      break;
    case EKey::End:
      move = in.bShift ? ECaretMove::RowEnd : ECaretMove::End;
      break;
    default:
      return false;
  }
  size_t nCaret = std::min(m_selection.Caret(), text.size());
  bool bVertical = *move == ECaretMove::Up || *move == ECaretMove::Down || *move == ECaretMove::PageUp ||
                   *move == ECaretMove::PageDown;
  if (!bVertical) {
    view::SRow row = m_layout.RowAt(text, nCaret);
    m_fGoalX = m_layout.XOf(text, row, nCaret);
  }
  size_t nPos = m_layout.MoveCaret(text, nCaret, *move, m_fGoalX, PageRows());
  if (!bVertical) m_fGoalX = m_layout.XOf(text, m_layout.RowAt(text, nPos), nPos);
  MoveTo(nPos, in.bShift);
  if (in.bShift) CopySelection();
  return true;
}

size_t CRecordCell::PositionAt(int x, int y) const {
  std::u16string_view text = Text();
  auto rows = m_layout.Rows(text, m_top, static_cast<size_t>(std::max(0, y - m_rect.y)) + 1);
  if (rows.empty()) return 0;
  if (static_cast<int>(rows.size()) <= y - m_rect.y) return text.size();
  return m_layout.PositionAt(text, rows.back(), x - m_rect.x);
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
      MoveTo(PositionAt(in.x, in.y), in.bShift);
      return true;
    case EMouse::Drag:
      if (m_bDragging) MoveTo(PositionAt(in.x, in.y), true);
      return true;
    case EMouse::Release:
      if (m_bDragging) {
        MoveTo(PositionAt(in.x, in.y), true);
        CopySelection();
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
