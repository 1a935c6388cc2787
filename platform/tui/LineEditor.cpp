#include "LineEditor.h"

#include <algorithm>

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

void CLineEditor::Click(const std::u16string& text, int nCell) {
  m_bAll = false;
  size_t n = m_nScroll;
  for (int nAt = 0; n < text.size();) {
    size_t nNext = n;
    int nWidth = CellWidth(ShownChar(NextChar(text, nNext)));
    if (nAt + nWidth > nCell) break;
    nAt += nWidth;
    n = nNext;
  }
  m_nCaret = n;
}

void CLineEditor::Draw(CScreen& screen, int x, int y, int nCells, const std::u16string& text, bool bFocus) {
  m_nCaret = std::min(m_nCaret, text.size());
  m_nScroll = std::min(m_nScroll, m_nCaret);
  // The caret stays in view, with room for it after the last character.
  auto cellsBetween = [&](size_t nFrom, size_t nTo) {
    return TextCells(std::u16string_view(text).substr(nFrom, nTo - nFrom));
  };
  if (TextCells(text) <= nCells)
    m_nScroll = 0;
  else
    while (m_nScroll < m_nCaret && cellsBetween(m_nScroll, m_nCaret) >= nCells) m_nScroll = Next(text, m_nScroll);
  std::u16string_view shown = std::u16string_view(text).substr(m_nScroll);
  screen.Put(x, y, shown, nCells, bFocus && m_bAll ? EStyle::Selected : EStyle::Field);
  m_nCaretCell = std::min(cellsBetween(m_nScroll, m_nCaret), std::max(0, nCells - 1));
}

}  // namespace tui
