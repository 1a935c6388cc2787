#include "CellWindow.h"

#include "Window.h"

namespace tui {

bool CCellWindow::HasFocus() const { return GetFocus() == m_hWnd; }

bool CCellWindow::IsGreyed() const { return !IsWindowEnabled(m_hWnd) || !IsWindowEnabled(GetParent(m_hWnd)); }

}  // namespace tui
