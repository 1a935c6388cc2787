#include "CellWindow.h"

#include "Window.h"

namespace tui {

bool CCellWindow::HasFocus() const { return GetFocus() == m_hWnd; }

}  // namespace tui
