#include "DialogWindow.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include "ControlColors.h"
#include "QtText.h"
#include "UserInput.h"
#include "Window.h"
#include "WindowHost.h"
#include "WindowIcon.h"

namespace qtview {

CDialogWindow::CDialogWindow(CWindowHost& host, HWND hWnd, const QFont& font)
    : QWidget(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), CViewWindow(host, hWnd) {
  setFont(font);
  setFocusPolicy(Qt::NoFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  // Not a child widget of its owner, which is disabled while it is up.
  if (GetParent(hWnd)) setWindowModality(Qt::ApplicationModal);
}

void CDialogWindow::ShowText(size_t) { setWindowTitle(ToQString(GetWindowTextShared(m_hWnd).View())); }

void CDialogWindow::ShowIcons() {
  setWindowIcon(WindowIcon(GetWindowIcon(m_hWnd, ICON_BIG), GetWindowIcon(m_hWnd, ICON_SMALL)));
}

void CDialogWindow::ShowGeometry() {
  // The window system's desktop is the screen's available area; its rectangle
  // is the client area, the frame is the window manager's.
  RECT r = GetWindowRect(m_hWnd);
  QPoint origin;
  if (QScreen* pScreen = QGuiApplication::primaryScreen()) origin = pScreen->availableGeometry().topLeft();
  setFixedSize(static_cast<int>(r.right - r.left), static_cast<int>(r.bottom - r.top));
  move(origin + QPoint(static_cast<int>(r.left), static_cast<int>(r.top)));
}

void CDialogWindow::ShowVisibility() {
  if (testAttribute(Qt::WA_WState_ExplicitShowHide)) setVisible(GetWindowStyle(m_hWnd) & WS_VISIBLE);
}

void CDialogWindow::ShowEnabled() {
  CViewWindow::ShowEnabled();
  if (isEnabled() && isVisible()) activateWindow();
}

void CDialogWindow::paintEvent(QPaintEvent*) {
  QColor background = palette().color(QPalette::Window);
  if (auto colors = DialogColors(m_hWnd, palette())) background = ToQColor(colors->background);
  QPainter(this).fillRect(rect(), background);
}

void CDialogWindow::closeEvent(QCloseEvent* pEvent) {
  // The dialog decides; the window goes when the window system destroys it.
  pEvent->ignore();
  m_rView.Input(m_hWnd, [&] { win::input::Close(m_hWnd); });
}

}  // namespace qtview
