#include "StaticWindow.h"

#include "ControlColors.h"
#include "FontMetrics.h"
#include "QtText.h"
#include "Window.h"

namespace qtview {

CStaticWindow::CStaticWindow(CWindowHost& host, HWND hWnd, QWidget* pParent)
    : QLabel(pParent), CViewWindow(host, hWnd) {
  setTextFormat(Qt::PlainText);
  // The platform's left-aligned static text wraps at its right edge.
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  setWordWrap(true);
  setFocusPolicy(Qt::NoFocus);
}

void CStaticWindow::ShowText(size_t) {
  setText(ToQString(GetWindowTextShared(m_hWnd).View()));
  FitFont();
}

void CStaticWindow::ShowGeometry() {
  CViewWindow::ShowGeometry();
  FitFont();
}

void CStaticWindow::FitFont() {
  setFont(QFont());
  const QFont fitting = FittingFont(font(), text(), contentsRect().width());
  if (fitting != font()) setFont(fitting);
}

void CStaticWindow::ShowColors() {
  auto colors = StaticColors(m_hWnd, palette());
  if (!colors) return;
  QPalette pal = palette();
  pal.setColor(QPalette::Window, ToQColor(colors->background));
  pal.setColor(QPalette::WindowText, ToQColor(colors->text));
  setPalette(pal);
  setAutoFillBackground(true);
}

}  // namespace qtview
