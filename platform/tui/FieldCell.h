// A one-line field, an edit box's or a list's: its text edited through a
// line editor, the person's typing handed on as the window's new text.
#pragma once

#include <string>

#include "CellWindow.h"
#include "LineEditor.h"

namespace tui {

class CFieldCell : public CCellWindow {
 public:
  using CCellWindow::CCellWindow;
  std::optional<std::pair<int, int>> Caret() const override;
  void ShowText(size_t nAppendedFrom) override;
  // The dialog manager selects the whole text of a field it moves to.
  void Focused();
  void Leave() override;

 protected:
  std::u16string Text() const;
  // An editing key: false when the key is not one.
  bool Edit(const SInput& in);
  // A press on the field focuses it and puts the caret at the cell.
  void Press(int x, int y);

  CLineEditor m_editor;
};

}  // namespace tui
