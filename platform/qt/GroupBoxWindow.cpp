#include "GroupBoxWindow.h"

#include "ControlColors.h"
#include "QtText.h"
#include "Window.h"

namespace qtview {

CGroupBoxWindow::CGroupBoxWindow(CWindowHost& host, HWND hWnd, QWidget* pParent)
    : QGroupBox(pParent), CViewWindow(host, hWnd) {
  // The platform's group box lets clicks through to what lies under it.
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);
}

void CGroupBoxWindow::ShowText(size_t) { setTitle(ToQString(GetWindowTextShared(m_hWnd).View())); }

void CGroupBoxWindow::ShowColors() {
  auto colors = StaticColors(m_hWnd, palette());
  if (!colors) return;
  // Styles draw the title in either text role.
  QPalette pal = palette();
  pal.setColor(QPalette::WindowText, ToQColor(colors->text));
  pal.setColor(QPalette::Text, ToQColor(colors->text));
  setPalette(pal);
}

}  // namespace qtview
