// The open pop-up menu, drawn as a box over the dialog at the cell where it
// was asked for (moved to stay on the screen): an item a row, its mnemonic
// underlined, a check as ✓ and a radio check as • before it, a separator as
// a line, grayed items dim, the highlighted item in the selected style. Keys
// and the mouse go to the window system's tracking of the menu, which
// decides what they do.
#pragma once

#include "CellLayout.h"
#include "Screen.h"
#include "WinTypes.h"

namespace tui {

class CMenuCell {
 public:
  CMenuCell(HMENU hMenu, SIZE screen) : m_hMenu(hMenu), m_screen(screen) {}

  SCellRect Rect() const;
  void Draw(CScreen& screen);
  void Key(const SInput& in);
  void Mouse(const SInput& in);

  void SetScreenSize(SIZE screen) {
    m_screen = screen;
    Invalidate();
  }
  void Invalidate() { m_bDirty = true; }
  bool IsDirty() const { return m_bDirty; }

 private:
  // The item at a cell, or -1.
  int ItemAt(int x, int y) const;

  HMENU m_hMenu;
  SIZE m_screen;
  bool m_bDirty = true;
};

}  // namespace tui
