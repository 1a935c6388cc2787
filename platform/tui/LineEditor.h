// Typing in a one-line field: the caret, the part of the text in view, and
// the whole text selected as the dialog manager leaves it when it moves the
// focus to a field. Shared by edit boxes and a list's field. A field given
// more than one row wraps its text at blanks over them, and marks its last
// row when more text follows.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <utility>

#include "Screen.h"

namespace tui {

class CLineEditor {
 public:
  // The text was set by code: the field shows it from its start.
  void Reset() {
    m_nCaret = m_nScroll = m_nFirstRow = 0;
    m_bAll = false;
  }
  void SelectAll(const std::u16string& text) {
    m_bAll = !text.empty();
    m_nCaret = text.size();
  }
  void Deselect() { m_bAll = false; }

  // Applies an editing key to text; true when the key was one. *pChanged
  // tells whether the text changed.
  bool Key(const SInput& in, std::u16string& text, bool* pChanged);
  // Puts the caret at a cell of the field, counted from its top left.
  void Click(const std::u16string& text, int nCell, int nRow);

  void Draw(CScreen& screen, const SCellRect& rect, const std::u16string& text, bool bFocus);
  std::pair<int, int> Caret(int x, int y) const { return {x + m_nCaretCell, y + m_nCaretRow}; }

 private:
  void DrawLine(CScreen& screen, const SCellRect& rect, const std::u16string& text, EStyle style);
  void DrawRows(CScreen& screen, const SCellRect& rect, const std::u16string& text, EStyle style);

  size_t m_nCaret = 0;
  size_t m_nScroll = 0;    // the first character in view on one line
  size_t m_nFirstRow = 0;  // the first row in view of wrapped text
  bool m_bAll = false;
  int m_nCaretCell = 0;
  int m_nCaretRow = 0;
  SCellRect m_rect;  // where the field was drawn last
};

}  // namespace tui
