#include "LineEditor.h"

#include <algorithm>
#include <vector>

#include "CellText.h"

namespace tui {

namespace {

size_t Previous(const std::u16string& text, size_t n) {
  if (n == 0) return 0;
  --n;
  if (n > 0 && text[n] >= 0xDC00 && text[n] < 0xE000 && text[n - 1] >= 0xD800 && text[n - 1] < 0xDC00) --n;
  return n;
}

size_t Next(const std::u16string& text, size_t n) {
  if (n >= text.size()) return text.size();
  NextChar(text, n);
  return n;
}

int CellsBetween(const std::u16string& text, size_t nFrom, size_t nTo) {
  return TextCells(std::u16string_view(text).substr(nFrom, nTo - nFrom));
}

size_t Offset(const std::u16string& text, std::u16string_view line) {
  return static_cast<size_t>(line.data() - text.data());
}

// The wrapped row that holds the caret: the last that starts at or before it.
size_t CaretRow(const std::u16string& text, const std::vector<std::u16string_view>& lines, size_t nCaret) {
  size_t nRow = 0;
  while (nRow + 1 < lines.size() && Offset(text, lines[nRow + 1]) <= nCaret) ++nRow;
  return nRow;
}

}  // namespace

bool CLineEditor::Key(const SInput& in, std::u16string& text, bool* pChanged) {
  *pChanged = false;
  m_nCaret = std::min(m_nCaret, text.size());
  auto replaceAll = [&] {
    if (!m_bAll) return false;
    text.clear();
    m_nCaret = 0;
    m_bAll = false;
    *pChanged = true;
    return true;
  };
  switch (in.key) {
    case EKey::Char: {
      replaceAll();
      std::u16string unit;
      if (in.ch >= 0x10000) {
        unit += static_cast<char16_t>(0xD800 + ((in.ch - 0x10000) >> 10));
        unit += static_cast<char16_t>(0xDC00 + ((in.ch - 0x10000) & 0x3FF));
      } else {
        unit += static_cast<char16_t>(in.ch);
      }
      text.insert(m_nCaret, unit);
      m_nCaret += unit.size();
      *pChanged = true;
      return true;
    }
    case EKey::Backspace:
      if (replaceAll() || m_nCaret == 0) return true;
      {
        size_t n = Previous(text, m_nCaret);
        text.erase(n, m_nCaret - n);
        m_nCaret = n;
      }
      *pChanged = true;
      return true;
    case EKey::Delete:
      if (replaceAll() || m_nCaret >= text.size()) return true;
      text.erase(m_nCaret, Next(text, m_nCaret) - m_nCaret);
      *pChanged = true;
      return true;
    case EKey::Left:
      m_nCaret = m_bAll ? 0 : Previous(text, m_nCaret);
      m_bAll = false;
      return true;
    case EKey::Right:
      m_nCaret = m_bAll ? text.size() : Next(text, m_nCaret);
      m_bAll = false;
      return true;
    case EKey::Home:
      m_nCaret = 0;
      m_bAll = false;
      return true;
    case EKey::End:
      m_nCaret = text.size();
      m_bAll = false;
      return true;
    default:
      return false;
  }
}

void CLineEditor::Click(const std::u16string& text, int nCell, int nRow) {
  m_bAll = false;
  size_t n = m_nScroll, nEnd = text.size();
  if (m_rect.cy > 1) {
    auto lines = WrapWords(text, m_rect.cx);
    size_t nLine = m_nFirstRow + static_cast<size_t>(std::max(0, nRow));
    if (nLine >= lines.size()) {
      m_nCaret = text.size();
      return;
    }
    n = Offset(text, lines[nLine]);
    nEnd = n + lines[nLine].size();
  }
  for (int nAt = 0; n < nEnd;) {
    size_t nNext = n;
    int nWidth = CellWidth(ShownChar(NextChar(text, nNext)));
    if (nAt + nWidth > nCell) break;
    nAt += nWidth;
    n = nNext;
  }
  m_nCaret = n;
}

void CLineEditor::Draw(CScreen& screen, const SCellRect& rect, const std::u16string& text, bool bFocus) {
  m_rect = rect;
  m_nCaret = std::min(m_nCaret, text.size());
  EStyle style = bFocus && m_bAll ? EStyle::Selected : EStyle::Field;
  if (rect.cy > 1)
    DrawRows(screen, rect, text, style);
  else
    DrawLine(screen, rect, text, style);
}

void CLineEditor::DrawLine(CScreen& screen, const SCellRect& rect, const std::u16string& text, EStyle style) {
  m_nScroll = std::min(m_nScroll, m_nCaret);
  // The caret stays in view, with room for it after the last character.
  if (TextCells(text) <= rect.cx)
    m_nScroll = 0;
  else
    while (m_nScroll < m_nCaret && CellsBetween(text, m_nScroll, m_nCaret) >= rect.cx)
      m_nScroll = Next(text, m_nScroll);
  screen.Put(rect.x, rect.y, std::u16string_view(text).substr(m_nScroll), rect.cx, style);
  m_nCaretRow = 0;
  m_nCaretCell = std::min(CellsBetween(text, m_nScroll, m_nCaret), std::max(0, rect.cx - 1));
}

void CLineEditor::DrawRows(CScreen& screen, const SCellRect& rect, const std::u16string& text, EStyle style) {
  auto lines = WrapWords(text, rect.cx);
  const size_t nRows = static_cast<size_t>(rect.cy);
  // The caret's row stays in view.
  size_t nCaretRow = lines.empty() ? 0 : CaretRow(text, lines, m_nCaret);
  m_nFirstRow = std::min(m_nFirstRow, nCaretRow);
  if (nCaretRow >= m_nFirstRow + nRows) m_nFirstRow = nCaretRow + 1 - nRows;
  for (size_t i = 0; i < nRows; ++i) {
    size_t nLine = m_nFirstRow + i;
    screen.Put(rect.x, rect.y + static_cast<int>(i), nLine < lines.size() ? lines[nLine] : u"", rect.cx, style);
  }
  if (m_nFirstRow + nRows < lines.size()) {
    // More follows: an ellipsis after the last row's text, or on its last cell.
    int nAfter = std::min(TextCells(lines[m_nFirstRow + nRows - 1]), rect.cx - 1);
    screen.Put(rect.x + nAfter, rect.y + rect.cy - 1, u"\u2026", 1, style);
  }
  size_t nStart = lines.empty() ? 0 : Offset(text, lines[nCaretRow]);
  m_nCaretRow = static_cast<int>(nCaretRow - m_nFirstRow);
  m_nCaretCell = std::min(CellsBetween(text, nStart, m_nCaret), std::max(0, rect.cx - 1));
}

}  // namespace tui
