#include "EditWindow.h"

#include "QtText.h"
#include "QtView.h"
#include "UserInput.h"
#include "Window.h"

namespace qtview {

CEditWindow::CEditWindow(CQtView& view, HWND hWnd, QWidget* pParent) : QLineEdit(pParent), CViewWindow(view, hWnd) {
  setFrame(GetWindowStyle(hWnd) & WS_BORDER);
  setReadOnly(GetWindowStyle(hWnd) & ES_READONLY);
  SetShownFocusPolicy(Qt::StrongFocus);
  connect(this, &QLineEdit::textEdited,
          [this](const QString& text) { m_rView.Input(m_hWnd, [&] { win::input::Edit(m_hWnd, ToU16(text)); }); });
}

void CEditWindow::ShowText(size_t) {
  QString text = ToQString(GetWindowTextShared(m_hWnd).View());
  // The echo of the person's own typing leaves the caret where it is.
  if (text == this->text()) return;
  CQtView::CApplying applying(m_rView);
  setText(text);
  // The platform shows text set by code from its start.
  setCursorPosition(0);
}

}  // namespace qtview
