#include "StaticCell.h"

#include "Window.h"

namespace tui {

void CStaticCell::Draw(CScreen& screen) {
  screen.Put(m_rect.x, m_rect.y, GetWindowTextShared(m_hWnd).View(), m_rect.cx, EStyle::Dialog);
}

}  // namespace tui
