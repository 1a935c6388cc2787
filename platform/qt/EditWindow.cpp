#include "EditWindow.h"

#include <QContextMenuEvent>
#include <QPainter>
#include <QStyle>
#include <limits>

#include "EditBox.h"
#include "QtText.h"
#include "UserInput.h"
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
  setContextMenuPolicy(Qt::DefaultContextMenu);
}

void CEditWindow::ShowText(size_t) {
  CWindowHost::CApplying applying(m_rView);
  ShowFieldText(*this, m_hWnd);
}

void CEditWindow::ShowSelection() {
  CWindowHost::CApplying applying(m_rView);
  ShowFieldSelection(*this, m_hWnd);
}

namespace {
// Room on either side of the tag's text.
constexpr int kTagPadding = 3;
}  // namespace

void CEditWindow::ShowTag() {
  m_strTag = ToQString(win::GetEditTag(m_hWnd));
  setTextMargins(0, 0, m_strTag.isEmpty() ? 0 : TagRect().width(), 0);
  update();
}

QRect CEditWindow::TagRect() const {
  if (m_strTag.isEmpty()) return {};
  int nFrame = hasFrame() ? style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this) : 0;
  int nWidth = fontMetrics().horizontalAdvance(m_strTag) + 2 * kTagPadding;
  return QRect(width() - nFrame - nWidth, nFrame, nWidth, height() - 2 * nFrame);
}

void CEditWindow::contextMenuEvent(QContextMenuEvent* pEvent) {
  QPoint at = pEvent->globalPos();
  m_rView.Input(m_hWnd, [&] { win::input::ContextMenu(m_hWnd, POINT{at.x(), at.y()}); });
}

void CEditWindow::paintEvent(QPaintEvent* pEvent) {
  QLineEdit::paintEvent(pEvent);
  if (m_strTag.isEmpty()) return;
  QPainter painter(this);
  painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::PlaceholderText));
  painter.drawText(TagRect(), Qt::AlignCenter, m_strTag);
}

}  // namespace qtview
