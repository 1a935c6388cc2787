// A field, an edit box's or a list's: its text drawn through the rows it
// lends the window system, whose edit box rules move the caret, select and
// edit. A field of one row scrolls sideways to keep the caret in view; a
// field given more rows wraps its text at blanks over them, and marks its
// last row when more text follows.
#pragma once

#include <string>

#include "CellMeasure.h"
#include "CellWindow.h"
#include "EditBoxRows.h"

namespace tui {

class CFieldCell : public CCellWindow {
 public:
  CFieldCell(CCellHost& host, HWND hWnd);
  std::optional<std::pair<int, int>> Caret() const override { return m_caret; }
  void ShowText(size_t nAppendedFrom) override;
  void ShowSelection() override;

 protected:
  // A press on the field focuses it and puts the caret at the cell.
  void Press(int x, int y);
  void DrawField(CScreen& screen, const SCellRect& box);

 private:
  // The cells of row's text from nFrom on, with the selection and the caret.
  void DrawRow(CScreen& screen, int x, int y, int nCells, const view::SRow& row, size_t nFrom);

  CCellMeasure m_measure;
  view::CEditBoxRows m_rows;
  SCellRect m_field;     // where the field was drawn last
  size_t m_nScroll = 0;  // the first unit in view of a field of one row
  std::optional<std::pair<int, int>> m_caret;
};

}  // namespace tui
