#include "ButtonWindow.h"

#include "QtText.h"
#include "UserInput.h"
#include "Window.h"
#include "WindowHost.h"

namespace qtview {

CButtonWindow::CButtonWindow(CWindowHost& host, HWND hWnd, QWidget* pParent)
    : QPushButton(pParent), CViewWindow(host, hWnd) {
  // Enter belongs to the dialog manager, which has no default button here.
  setAutoDefault(false);
  setDefault(false);
  SetShownFocusPolicy(Qt::StrongFocus);
  connect(this, &QPushButton::clicked, [this] { m_rView.Input(m_hWnd, [&] { win::input::Click(m_hWnd); }); });
}

void CButtonWindow::ShowText(size_t) {
  // QPushButton shows the caption's mnemonic as the platform does; the key
  // is the dialog manager's, so Qt's own shortcut for it goes.
  setText(ToQString(GetWindowTextShared(m_hWnd).View()));
  setShortcut(QKeySequence());
}

}  // namespace qtview
