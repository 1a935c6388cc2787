#include "GroupBoxCell.h"

#include <string>

#include "CellText.h"
#include "Window.h"

namespace tui {

void CGroupBoxCell::Draw(CScreen& screen) {
  screen.Frame(m_rect, EStyle::Dialog);
  std::u16string caption(1, u' ');
  caption.append(GetWindowTextShared(m_hWnd).View().ToString()).push_back(u' ');
  int nCells = std::min(TextCells(caption), m_rect.cx - 2);
  if (nCells > 2) screen.Put(m_rect.x + 1, m_rect.y, caption, nCells, EStyle::Dialog);
}

}  // namespace tui
