#include "StaticWindow.h"

#include <QFontMetricsF>

#include "ControlColors.h"
#include "QtText.h"
#include "Window.h"

namespace qtview {

CStaticWindow::CStaticWindow(CQtView& view, HWND hWnd, QWidget* pParent) : QLabel(pParent), CViewWindow(view, hWnd) {
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
  // The dialog's font, or the first a quarter point smaller at a time, down
  // to a point less, that shows the text on one line.
  setFont(QFont());
  const QString strText = text();
  const double fPoints = font().pointSizeF();
  if (strText.contains(u'\n') || fPoints <= 1) return;
  for (double f = fPoints; f >= fPoints - 1; f -= 0.25) {
    QFont smaller = font();
    smaller.setPointSizeF(f);
    if (QFontMetricsF(smaller).horizontalAdvance(strText) <= contentsRect().width()) {
      if (f < fPoints) setFont(smaller);
      return;
    }
  }
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
