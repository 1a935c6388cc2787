#include "ViewWindow.h"

#include "QtText.h"
#include "ToolTip.h"
#include "Window.h"

namespace qtview {

void CViewWindow::ShowGeometry() {
  RECT r = GetWindowRect(m_hWnd);
  Widget()->setGeometry(static_cast<int>(r.left), static_cast<int>(r.top), static_cast<int>(r.right - r.left),
                        static_cast<int>(r.bottom - r.top));
}

void CViewWindow::ShowVisibility() {
  // A child follows its own style; its dialog's visibility is Qt's to combine.
  bool bVisible = GetWindowStyle(m_hWnd) & WS_VISIBLE;
  // A hidden control never takes the focus, not even from code.
  Widget()->setFocusPolicy(bVisible ? m_shownFocusPolicy : Qt::NoFocus);
  Widget()->setVisible(bVisible);
}

void CViewWindow::ShowToolTip() { Widget()->setToolTip(ToQString(GetWindowToolTip(m_hWnd))); }

void CViewWindow::ShowEnabled() { Widget()->setEnabled(IsWindowEnabled(m_hWnd)); }

void CViewWindow::SetShownFocusPolicy(Qt::FocusPolicy policy) {
  m_shownFocusPolicy = policy;
  if (GetWindowStyle(m_hWnd) & WS_VISIBLE) Widget()->setFocusPolicy(policy);
}

}  // namespace qtview
