// The selection of an edit box, in units of the window's text: an anchor
// where it began and a caret where it ends, which may lie on either side.
// The free functions give the caret stops a person's keys and clicks move
// between: a CR LF and a surrogate pair are each one step.
#pragma once

#include <cstddef>
#include <utility>

#include "TextRange.h"

namespace win {

class CTextSelection {
 public:
  size_t Anchor() const { return m_nAnchor; }
  size_t Caret() const { return m_nCaret; }
  size_t Start() const { return m_nAnchor < m_nCaret ? m_nAnchor : m_nCaret; }
  size_t End() const { return m_nAnchor < m_nCaret ? m_nCaret : m_nAnchor; }
  bool IsEmpty() const { return m_nAnchor == m_nCaret; }

  void Select(size_t nAnchor, size_t nCaret) {
    m_nAnchor = nAnchor;
    m_nCaret = nCaret;
  }
  // Moves the caret; without bExtend the anchor comes along.
  void MoveCaret(size_t nPos, bool bExtend) {
    m_nCaret = nPos;
    if (!bExtend) m_nAnchor = nPos;
  }
  // Keeps both ends within a text of nLength units.
  void Clamp(size_t nLength) {
    if (m_nAnchor > nLength) m_nAnchor = nLength;
    if (m_nCaret > nLength) m_nCaret = nLength;
  }

 private:
  size_t m_nAnchor = 0;
  size_t m_nCaret = 0;
};

// The caret stop after nPos, or the text's end.
size_t NextStop(const CTextRange& text, size_t nPos);
// The caret stop before nPos, or 0.
size_t PreviousStop(const CTextRange& text, size_t nPos);
// The word, run of blanks or run of other signs at nPos, as [first, second):
// what a double-click selects. A line break is a run of its own.
std::pair<size_t, size_t> WordAround(const CTextRange& text, size_t nPos);
// Where the next word starts after nPos, and where the word before nPos
// starts (Ctrl with the arrow keys).
size_t NextWordStart(const CTextRange& text, size_t nPos);
size_t PreviousWordStart(const CTextRange& text, size_t nPos);

}  // namespace win
