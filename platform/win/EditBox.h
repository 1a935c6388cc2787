// What an edit box shares with the view that shows it: its selection, and
// its rows.
//
// How an edit box's text falls into rows depends on how a view draws it (a
// grid's cells or a font's advances, and the box's width), so the view that
// shows an edit box lends the box its rows. The edit box's rules ask them
// for the moves by rows and for the point a person clicked. Without a view
// each line is a row and each caret stop a column.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "AppendTimes.h"
#include "EditForm.h"
#include "TextSelection.h"
#include "WinTypes.h"

namespace win {

enum class ERowMove { Up, Down, PageUp, PageDown, RowStart, RowEnd };

class CEditRows {
 public:
  virtual ~CEditRows() = default;
  // Where the caret at nPos stands across its row: where up and down aim.
  virtual double CaretX(const CTextRange& text, size_t nPos) const = 0;
  // Where a move by rows takes the caret, up and down aiming at fGoalX. A
  // page move scrolls the view a page with the caret.
  virtual size_t MoveCaret(const CTextRange& text, size_t nCaret, ERowMove move, double fGoalX) = 0;
  // The caret stop nearest to x on row nRow counted from the top row in
  // view, x measured as CaretX does; with bCharUnder the start of the
  // character under x instead (what a double-click picks).
  virtual size_t PositionAt(const CTextRange& text, int x, int nRow, bool bCharUnder) const = 0;
  // Units of a hex row as the view shows them.
  virtual size_t HexRowUnits() const { return kHexRowUnits; }
};

// The anchor and caret of an edit box or a list's field (EM_GETSEL gives
// only its ends); observers hear OnSelectionChanged when they move.
CTextSelection GetEditSelection(HWND hEdit);

// The tag an edit box shows inside its right edge (EM_SETTAG); empty for none.
std::u16string GetEditTag(HWND hEdit);

// Lends hEdit its rows, or takes them back with null.
void SetEditRows(HWND hEdit, CEditRows* pRows);

// The form a record box shows its text in, which its menu sets; observers
// hear OnFormChanged when it changes.
SEditForm GetEditForm(HWND hEdit);
void SetEditForm(HWND hEdit, SEditForm form);

// When the window's text gained its units.
const CAppendTimes& GetTextTimes(HWND hWnd);

}  // namespace win
