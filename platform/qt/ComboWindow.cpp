#include "ComboWindow.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QLineEdit>

#include "EditWindow.h"
#include "FontMetrics.h"
#include "QtText.h"
#include "UserInput.h"
#include "Window.h"
#include "WindowHost.h"
#include "WindowObserver.h"

namespace qtview {

CComboWindow::CComboWindow(CWindowHost& host, HWND hWnd, QWidget* pParent)
    : QComboBox(pParent), CViewWindow(host, hWnd) {
  setEditable(true);
  setInsertPolicy(QComboBox::NoInsert);
  setDuplicatesEnabled(true);
  // The platform's field neither completes what is typed nor picks the item
  // it happens to match when the person leaves it.
  setCompleter(nullptr);
  disconnect(lineEdit(), &QLineEdit::editingFinished, this, nullptr);
  SetShownFocusPolicy(Qt::StrongFocus);
  connect(this, &QComboBox::activated,
          [this](int nIndex) { m_rView.Input(m_hWnd, [&] { win::input::Pick(m_hWnd, nIndex); }); });
  MakeFieldShowOnly(*lineEdit());
  connect(lineEdit(), &QLineEdit::textChanged, [this] { FitFieldFont(); });
}

int CComboWindow::FieldTextWidth() const { return lineEdit()->contentsRect().width() - 2 * kFieldMargin; }

void CComboWindow::FitFieldFont() {
  lineEdit()->setFont(font());
  const QFont fitting = FittingFont(font(), lineEdit()->text(), FieldTextWidth());
  if (fitting != font()) lineEdit()->setFont(fitting);
}

void CComboWindow::ShowText(size_t) {
  CWindowHost::CApplying applying(m_rView);
  ShowFieldText(*lineEdit(), m_hWnd);
}

void CComboWindow::ShowItems() {
  int nCount = static_cast<int>(SendMessage(m_hWnd, CB_GETCOUNT, 0, 0));
  {
    CWindowHost::CApplying applying(m_rView);
    // Items arrive one at a time; only a list that changed otherwise is rebuilt.
    bool bPrefix = count() <= nCount;
    for (int i = 0; bPrefix && i < count(); ++i) bPrefix = itemText(i) == ToQString(GetComboItemText(m_hWnd, i));
    if (!bPrefix) clear();
    for (int i = count(); i < nCount; ++i) addItem(ToQString(GetComboItemText(m_hWnd, i)));
  }
  // Qt selects the first item added to an empty list; the platform does not.
  ShowSelection();
  ShowText(win::CWindowObserver::kReplaced);
}

void CComboWindow::ShowSelection() {
  int nSel = static_cast<int>(SendMessage(m_hWnd, CB_GETCURSEL, 0, 0));
  CWindowHost::CApplying applying(m_rView);
  if (nSel != currentIndex()) setCurrentIndex(nSel);
  // Qt's field follows its own selection; this one shows the window's text
  // and the field's selection.
  ShowFieldText(*lineEdit(), m_hWnd);
}

int CComboWindow::FieldHeight() const { return sizeHint().height(); }

void CComboWindow::ShowGeometry() {
  RECT r = GetWindowRect(m_hWnd);
  int nHeight = static_cast<int>(r.bottom - r.top);
  int nField = FieldHeight();
  m_nListHeight = std::max(0, nHeight - nField);
  setGeometry(static_cast<int>(r.left), static_cast<int>(r.top), static_cast<int>(r.right - r.left), nField);
}

void CComboWindow::resizeEvent(QResizeEvent* pEvent) {
  QComboBox::resizeEvent(pEvent);
  FitFieldFont();
}

void CComboWindow::changeEvent(QEvent* pEvent) {
  QComboBox::changeEvent(pEvent);
  if (pEvent->type() == QEvent::FontChange) FitFieldFont();
}

void CComboWindow::showPopup() {
  QComboBox::showPopup();
  if (m_nListHeight <= 0) return;
  QWidget* pPopup = view()->window();
  QRect g = pPopup->geometry();
  // Qt opens the list above the field when there is no room below it.
  bool bAbove = g.top() < mapToGlobal(QPoint(0, 0)).y();
  if (bAbove)
    g.setTop(g.bottom() + 1 - m_nListHeight);
  else
    g.setHeight(m_nListHeight);
  pPopup->setGeometry(g);
}

}  // namespace qtview
