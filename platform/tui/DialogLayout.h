// A dialog's windows placed on the terminal's cells. A dialog of its own
// (no owner) takes the whole terminal: its caption on the top line, its
// controls below, and what the terminal has beyond what they need goes to
// its record boxes. A one-line edit box as wide as the record boxes (a
// status line) shows its whole text: it takes the rows the text wraps into
// from the records, as far as they can give them. A dialog over another
// keeps its own size, in a frame, centred. Hidden controls take no cells.
#pragma once

#include <optional>
#include <utility>
#include <vector>

#include "CellLayout.h"
#include "WinTypes.h"

namespace tui {

// The smallest terminal the terminal dialog is laid out on.
constexpr SIZE kSmallestScreen{80, 24};

struct SDialogCells {
  SCellRect frame;  // the caption line and everything below it
  std::vector<std::pair<HWND, SCellRect>> controls;
  // The edit boxes whose rows follow their text, with the rows it wraps into.
  std::vector<std::pair<HWND, int>> textRows;
};

std::optional<SDialogCells> LayoutDialog(HWND hDlg, SIZE screen);

// Cells a control needs to show its content: a label's or button's whole
// caption, a list's longest item.
SIZE ContentCells(HWND hCtl);

// Rows the window's text wraps into at nCx cells, at least one.
int TextRows(HWND hWnd, int nCx);

}  // namespace tui
