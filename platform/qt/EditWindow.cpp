#include "EditWindow.h"

#include <limits>

#include "EditBox.h"
#include "QtText.h"
#include "Window.h"
#include "WindowHost.h"

namespace qtview {

void ShowFieldText(QLineEdit& edit, HWND hWnd) {
  QString text = ToQString(GetWindowTextShared(hWnd).View());
  if (text != edit.text()) edit.setText(text);
  ShowFieldSelection(edit, hWnd);
}

void ShowFieldSelection(QLineEdit& edit, HWND hWnd) {
  win::CTextSelection sel = win::GetEditSelection(hWnd);
  auto nAnchor = static_cast<int>(sel.Anchor()), nCaret = static_cast<int>(sel.Caret());
  if (sel.IsEmpty())
    edit.setCursorPosition(nCaret);
  else
    edit.setSelection(nAnchor, nCaret - nAnchor);
}

void MakeFieldShowOnly(QLineEdit& edit) {
  // Its menu and drops would edit the widget behind the window's back.
  edit.setContextMenuPolicy(Qt::NoContextMenu);
  edit.setAcceptDrops(false);
  // It shows all the window holds: the widget's own limit would cut it.
  edit.setMaxLength(std::numeric_limits<int>::max());
}

CEditWindow::CEditWindow(CWindowHost& host, HWND hWnd, QWidget* pParent) : QLineEdit(pParent), CViewWindow(host, hWnd) {
  setFrame(GetWindowStyle(hWnd) & WS_BORDER);
  setReadOnly(GetWindowStyle(hWnd) & ES_READONLY);
  SetShownFocusPolicy(Qt::StrongFocus);
  MakeFieldShowOnly(*this);
}

void CEditWindow::ShowText(size_t) {
  CWindowHost::CApplying applying(m_rView);
  ShowFieldText(*this, m_hWnd);
}

void CEditWindow::ShowSelection() {
  CWindowHost::CApplying applying(m_rView);
  ShowFieldSelection(*this, m_hWnd);
}

}  // namespace qtview
