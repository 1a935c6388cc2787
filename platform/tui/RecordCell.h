// A multi-line record box, drawn straight from the window's text through the
// view library's line index: only the rows in view are read. It does not
// follow new text by itself; an append redraws it only where the new text
// shows. The keyboard and the mouse scroll, move the caret and select, and a
// finished selection goes to the terminal's clipboard. Typing edits the text.
#pragma once

#include "CellWindow.h"
#include "LineIndex.h"
#include "RecordLayout.h"
#include "TextMeasure.h"
#include "TextSelection.h"

namespace tui {

// Cells as the text view draws characters: pictures for control characters.
class CCellMeasure final : public view::CTextMeasure {
 public:
  double Advance(char32_t c, double fX) const override;
};

class CRecordCell final : public CCellWindow {
 public:
  CRecordCell(CTextView& view, HWND hWnd);
  void SetRect(const SCellRect& rect) override;
  void Draw(CScreen& screen) override;
  std::optional<std::pair<int, int>> Caret() const override;
  bool Key(const SInput& in) override;
  bool Mouse(const SInput& in) override;
  void ShowText(size_t nAppendedFrom) override;
  // Units of the text the box shows or can scroll to as drawn.
  size_t ShownLength() const { return IsDirty() ? m_nDrawnLength : m_index.Length(); }

 private:
  size_t PageRows() const { return static_cast<size_t>(std::max(1, m_rect.cy)); }
  int TextCells() const { return std::max(1, m_rect.cx - 1); }
  std::u16string_view Text() const;
  // Typing replaces the selection, as the person's edit of the window's text.
  bool Type(const SInput& in);
  void ScrollBy(ptrdiff_t nRows);
  void MoveTo(size_t nPos, bool bExtend);
  size_t PositionAt(int x, int y) const;
  int ThumbRow() const;
  void CopySelection();

  CCellMeasure m_measure;
  view::CLineIndex m_index;
  view::CRecordLayout m_layout{m_index};
  view::CTextSelection m_selection;
  view::SViewTop m_top;
  double m_fGoalX = 0;
  // Where the last row drawn ends, and whether the rows filled the box: text
  // appended after a full box does not show.
  size_t m_nShownEnd = 0;
  bool m_bFull = false;
  size_t m_nDrawnLength = 0;
  int m_nThumb = -1;
  std::optional<std::pair<int, int>> m_caret;
  bool m_bDragging = false;
};

}  // namespace tui
