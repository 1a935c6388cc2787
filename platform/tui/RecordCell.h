// A multi-line record box, drawn straight from the window's text through the
// view library's line index: only the rows in view are read. It does not
// follow new text by itself; an append redraws it only where the new text
// shows. Keys and clicks go to the window system, whose edit box moves the
// caret, selects and edits by the rows the cell lends it; a finished
// selection goes to the terminal's clipboard.
#pragma once

#include "CellMeasure.h"
#include "CellWindow.h"
#include "EditBoxRows.h"

namespace tui {

class CRecordCell final : public CCellWindow {
 public:
  CRecordCell(CCellHost& host, HWND hWnd);
  void SetRect(const SCellRect& rect) override;
  void Draw(CScreen& screen) override;
  std::optional<std::pair<int, int>> Caret() const override;
  bool Mouse(const SInput& in) override;
  void ShowText(size_t nAppendedFrom) override;
  void ShowSelection() override;
  void ShowForm() override;
  // Units of the text the box shows or can scroll to as drawn.
  size_t ShownLength() const { return IsDirty() ? m_nDrawnLength : m_rows.Index().Length(); }

 private:
  size_t PageRows() const { return static_cast<size_t>(std::max(1, m_rect.cy)); }
  int TextCells() const { return std::max(1, m_rect.cx - 1); }
  void ScrollBy(ptrdiff_t nRows);
  // Hands a click to the window system at its cell of the box.
  void HandMouse(UINT message, const SInput& in);
  int ThumbRow() const;
  // Row i of the box: its margin, then the row's text or hex digits and
  // characters, up to the scroll bar; where the caret is, if there.
  void DrawRow(CScreen& screen, int i, const view::SRow* pRow);
  // A hex row from x0: the digits, then the characters; answers where it ended.
  int DrawHexRow(CScreen& screen, int x0, int y, const view::SRow& row);

  CCellMeasure m_measure;
  view::CEditBoxRows m_rows;
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
