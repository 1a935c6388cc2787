#include "QtView.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QEventLoop>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScreen>
#include <QTimer>

#include "ButtonWindow.h"
#include "Clipboard.h"
#include "ComboWindow.h"
#include "DialogWindow.h"
#include "EditBox.h"
#include "EditWindow.h"
#include "FontMetrics.h"
#include "GroupBoxWindow.h"
#include "KeyInput.h"
#include "Menu.h"
#include "MenuPopup.h"
#include "QtText.h"
#include "RangeMimeData.h"
#include "RecordWindow.h"
#include "StaticWindow.h"
#include "UserInput.h"
#include "Window.h"

namespace qtview {

namespace {

// The edit boxes' Cut, Copy and Paste use the desktop's clipboard.
class CDesktopClipboard final : public win::CClipboard {
 public:
  void SetText(const win::CTextRange& text) override {
    QApplication::clipboard()->setMimeData(new CRangeMimeData(text));
  }
  std::u16string Text() const override { return ToU16(QApplication::clipboard()->text()); }
};

CDesktopClipboard g_clipboard;

}  // namespace

CQtView::CQtView() {
  win::SetClipboard(&g_clipboard);
  m_fontDialog = DialogFont(u"System", 8);
  win::SetFontMetricsProvider([this](std::u16string_view fontName, int nPointSize) {
    // The dialog manager asks for its font's units just before it creates
    // the dialog, so the dialog's widget gets the same font.
    m_fontDialog = DialogFont(fontName, nPointSize);
    return BaseUnits(m_fontDialog);
  });
  if (QScreen* pScreen = QGuiApplication::primaryScreen()) {
    QSize size = pScreen->availableGeometry().size();
    SetDesktopSize(SIZE{size.width(), size.height()});
  }
  win::SetModalHost(this);
  win::AddWindowObserver(this);
  m_timerPump.Rearm();
  connect(&m_signalNotifier, &QSocketNotifier::activated, this, [this] {
    // As on a Cancel that asks nothing: no confirmation box holds the ending up.
    while (int nSignal = m_signals.Next()) EndModalDialogs(IDCANCEL, nSignal);
    QuitEndedLoops();
  });
}

CQtView::~CQtView() {
  win::SetClipboard(nullptr);
  win::RemoveWindowObserver(this);
  win::SetModalHost(nullptr);
  win::SetFontMetricsProvider(nullptr);
  // Children go with their top-level widget.
  for (auto& [hWnd, pWindow] : m_mapWindows)
    if (!pWindow->Widget()->parentWidget()) delete pWindow;
}

QWidget* CQtView::Widget(HWND hWnd) const {
  CViewWindow* pWindow = Find(hWnd);
  return pWindow ? pWindow->Widget() : nullptr;
}

HWND CQtView::Window(const QObject* pObject) const { return m_mapObjects.value(pObject, nullptr); }

CViewWindow* CQtView::Find(HWND hWnd) const {
  auto it = m_mapWindows.find(hWnd);
  return it == m_mapWindows.end() ? nullptr : it->second;
}

void CQtView::Input(HWND hWnd, const std::function<void()>& action) {
  if (IsApplying() || !Find(hWnd)) return;
  HWND hSaved = m_hFeeding;
  m_hFeeding = hWnd;
  action();
  m_hFeeding = hSaved;
  QuitEndedLoops();
}

void CQtView::Watch(QObject* pObject, HWND hWnd) {
  m_mapObjects.insert(pObject, hWnd);
  pObject->installEventFilter(this);
}

void CQtView::OnWindowCreated(HWND hWnd) {
  QWidget* pParent = nullptr;
  if (HWND hParent = GetParent(hWnd)) {
    pParent = Widget(hParent);
    if (!pParent) return;
  }
  DWORD style = GetWindowStyle(hWnd);
  CViewWindow* pWindow = nullptr;
  switch (GetWindowClass(hWnd)) {
    case WindowClass::Dialog:
      pWindow = new CDialogWindow(*this, hWnd, m_fontDialog);
      break;
    case WindowClass::Button:
      if ((style & BS_TYPEMASK) == BS_GROUPBOX)
        pWindow = new CGroupBoxWindow(*this, hWnd, pParent);
      else
        pWindow = new CButtonWindow(*this, hWnd, pParent);
      break;
    case WindowClass::Static:
      pWindow = new CStaticWindow(*this, hWnd, pParent);
      break;
    case WindowClass::Edit:
      if (style & ES_MULTILINE)
        pWindow = new CRecordWindow(*this, hWnd, pParent);
      else
        pWindow = new CEditWindow(*this, hWnd, pParent);
      break;
    case WindowClass::ComboBox:
      pWindow = new CComboWindow(*this, hWnd, pParent);
      break;
    case WindowClass::None:
      break;
  }
  if (!pWindow) return;
  m_mapWindows.emplace(hWnd, pWindow);
  Watch(pWindow->Widget(), hWnd);
  if (auto* pCombo = qobject_cast<QComboBox*>(pWindow->Widget())) Watch(pCombo->lineEdit(), hWnd);
  CApplying applying(*this);
  pWindow->ShowText(kReplaced);
  pWindow->ShowItems();
  pWindow->ShowSelection();
  pWindow->ShowIcons();
  pWindow->ShowToolTip();
  pWindow->ShowTag();
  pWindow->ShowGeometry();
  pWindow->ShowVisibility();
  pWindow->ShowEnabled();
}

void CQtView::OnWindowDestroyed(HWND hWnd) {
  CViewWindow* pWindow = Find(hWnd);
  if (!pWindow) return;
  m_mapWindows.erase(hWnd);
  QWidget* pWidget = pWindow->Widget();
  for (auto it = m_mapObjects.begin(); it != m_mapObjects.end();) {
    if (it.value() == hWnd)
      it = m_mapObjects.erase(it);
    else
      ++it;
  }
  CApplying applying(*this);
  pWidget->hide();
  delete pWindow;
}

void CQtView::OnTextChanged(HWND hWnd, size_t nAppendedFrom) {
  if (CViewWindow* pWindow = Find(hWnd)) pWindow->ShowText(nAppendedFrom);
}

void CQtView::OnItemsChanged(HWND hWnd) {
  if (CViewWindow* pWindow = Find(hWnd)) pWindow->ShowItems();
}

void CQtView::OnSelectionChanged(HWND hWnd) {
  if (CViewWindow* pWindow = Find(hWnd)) pWindow->ShowSelection();
}

void CQtView::OnFormChanged(HWND hWnd) {
  if (CViewWindow* pWindow = Find(hWnd)) pWindow->ShowForm();
}

void CQtView::OnVisibilityChanged(HWND hWnd) {
  if (CViewWindow* pWindow = Find(hWnd)) {
    CApplying applying(*this);
    pWindow->ShowVisibility();
  }
}

void CQtView::OnEnabledChanged(HWND hWnd) {
  if (CViewWindow* pWindow = Find(hWnd)) pWindow->ShowEnabled();
}

void CQtView::OnGeometryChanged(HWND hWnd) {
  if (CViewWindow* pWindow = Find(hWnd)) pWindow->ShowGeometry();
}

void CQtView::OnIconChanged(HWND hWnd) {
  if (CViewWindow* pWindow = Find(hWnd)) pWindow->ShowIcons();
}

void CQtView::OnToolTipChanged(HWND hWnd) {
  if (CViewWindow* pWindow = Find(hWnd)) pWindow->ShowToolTip();
}

void CQtView::OnTagChanged(HWND hWnd) {
  if (CViewWindow* pWindow = Find(hWnd)) pWindow->ShowTag();
}

void CQtView::OnFocusChanged(HWND hOld, HWND hNew) {
  if (hNew) {
    ShowFocus(hNew);
  } else if (QWidget* pOld = Widget(hOld); pOld && pOld->hasFocus()) {
    CApplying applying(*this);
    pOld->clearFocus();
  }
}

void CQtView::ShowFocus(HWND hWnd) {
  QWidget* pWidget = Widget(hWnd);
  if (!pWidget || pWidget->focusPolicy() == Qt::NoFocus) return;
  if (pWidget->hasFocus()) return;
  CApplying applying(*this);
  // On a window not yet shown this makes it the window's focus widget.
  pWidget->setFocus(Qt::OtherFocusReason);
}

void CQtView::OnTimersChanged() { m_timerPump.Rearm(); }

void CQtView::OnMenuOpened(HMENU hMenu) {
  auto track = win::GetTrackedMenu();
  if (!track) return;
  m_pMenu = new CMenuPopup(*this, hMenu, track->hOwner, Widget(track->hOwner));
  m_pMenu->popup(QPoint(static_cast<int>(track->pt.x), static_cast<int>(track->pt.y)));
}

void CQtView::OnMenuChanged(HMENU) {
  if (m_pMenu) m_pMenu->ShowState();
}

void CQtView::OnMenuClosed(HMENU) {
  if (!m_pMenu) return;
  CApplying applying(*this);
  m_pMenu->hide();
  m_pMenu->deleteLater();
  m_pMenu = nullptr;
}

bool CQtView::eventFilter(QObject* pObject, QEvent* pEvent) {
  HWND hWnd = Window(pObject);
  if (!hWnd) return false;
  switch (pEvent->type()) {
    case QEvent::KeyPress:
      return HandleKey(hWnd, static_cast<QKeyEvent*>(pEvent));
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
      if (auto* pEdit = qobject_cast<QLineEdit*>(pObject))
        return HandleFieldMouse(hWnd, pEdit, static_cast<QMouseEvent*>(pEvent));
      return false;
    case QEvent::FocusIn:
      HandleFocusIn(hWnd, static_cast<QFocusEvent*>(pEvent)->reason());
      return false;
    default:
      return false;
  }
}

bool CQtView::HandleKey(HWND hWnd, QKeyEvent* pEvent) {
  if (pEvent->modifiers() & Qt::MetaModifier) return false;
  if (pEvent->key() == Qt::Key_F10 && pEvent->modifiers() == Qt::ShiftModifier) {
    // Shift+F10 asks for the menu as the Menu key does.
    QWidget* pWidget = Widget(hWnd);
    QPoint at = pWidget->rect().center();
    QContextMenuEvent event(QContextMenuEvent::Keyboard, at, pWidget->mapToGlobal(at));
    QApplication::sendEvent(pWidget, &event);
    return true;
  }
  std::optional<SKeyInput> key = KeyOf(*pEvent);
  std::u32string typed = TypedOf(*pEvent);
  HWND hDlg = GetWindowClass(hWnd) == WindowClass::Dialog ? hWnd : GetParent(hWnd);
  // Every key goes to the dialog manager, which gives the focused control
  // what it wants; a key no one takes stays Qt's (Space on a button).
  bool bTaken = false;
  Input(hWnd, [&] {
    // Qt gives keys to its focus widget: the window system's focus follows.
    if (hWnd != hDlg && GetFocus() != hWnd) win::input::Focus(hWnd);
    if (key) bTaken = win::input::PressKey(hDlg, key->vk, key->nModifiers);
    for (char32_t c : typed) bTaken = win::input::Type(hDlg, c) || bTaken;
  });
  return bTaken;
}

bool CQtView::HandleFieldMouse(HWND hWnd, QLineEdit* pEdit, QMouseEvent* pEvent) {
  UINT message = 0;
  switch (pEvent->type()) {
    case QEvent::MouseButtonPress:
      message = WM_LBUTTONDOWN;
      break;
    case QEvent::MouseButtonDblClick:
      message = WM_LBUTTONDBLCLK;
      break;
    case QEvent::MouseButtonRelease:
      message = WM_LBUTTONUP;
      break;
    case QEvent::MouseMove:
      if (!(pEvent->buttons() & Qt::LeftButton)) return false;
      message = WM_MOUSEMOVE;
      break;
    default:
      return false;
  }
  if (message != WM_MOUSEMOVE && pEvent->button() != Qt::LeftButton) return false;
  // The field's one row counts caret stops.
  const win::CTextRange text = GetWindowTextShared(hWnd).View();
  auto nUnit = static_cast<size_t>(std::max(0, pEdit->cursorPositionAt(pEvent->position().toPoint())));
  int nColumn = 0;
  for (size_t n = 0; n < nUnit && n < text.size(); n = win::NextStop(text, n)) ++nColumn;
  UINT nModifiers = (pEvent->modifiers() & Qt::ShiftModifier) ? win::input::kShift : 0;
  Input(hWnd, [&] { win::input::Mouse(hWnd, message, nColumn, 0, nModifiers); });
  return true;
}

void CQtView::HandleFocusIn(HWND hWnd, Qt::FocusReason reason) {
  if (IsApplying()) return;
  if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) {
    // Qt restores its own idea of the focus; the window system's wins.
    if (HWND hFocus = GetFocus(); hFocus && hFocus != hWnd)
      QTimer::singleShot(0, this, [this] { ShowFocus(GetFocus()); });
    return;
  }
  if (GetFocus() != hWnd) Input(hWnd, [&] { win::input::Focus(hWnd); });
}

void CQtView::QuitEndedLoops() {
  if (m_menuRun && win::IsMenuDone(m_menuRun->hMenu)) m_menuRun->pLoop->quit();
  for (const CModalRun& run : m_vecModalRuns)
    if (IsDialogEnded(run.hDlg)) run.pLoop->quit();
}

void CQtView::RunMenuLoop(HMENU hMenu) {
  QEventLoop loop;
  m_menuRun = CMenuRun{hMenu, &loop};
  auto connection = connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, &loop,
                            [this] { QuitEndedLoops(); });
  if (!win::IsMenuDone(hMenu)) loop.exec();
  disconnect(connection);
  m_menuRun.reset();
}

void CQtView::RunModalLoop(HWND hDlg) {
  auto* pDialog = dynamic_cast<CDialogWindow*>(Find(hDlg));
  if (!pDialog) return;
  const auto& children = GetChildren(hDlg);
  {
    CApplying applying(*this);
    // The platform stacks the first control on top and tabs in the
    // template's order.
    QWidget* pPrevious = nullptr;
    for (auto it = children.rbegin(); it != children.rend(); ++it)
      if (QWidget* pWidget = Widget(*it)) pWidget->raise();
    for (HWND hChild : children) {
      CViewWindow* pChild = Find(hChild);
      if (!pChild) continue;
      pChild->ShowColors();
      if (pPrevious) QWidget::setTabOrder(pPrevious, pChild->Widget());
      pPrevious = pChild->Widget();
    }
    if (GetWindowStyle(hDlg) & WS_VISIBLE) {
      pDialog->show();
      pDialog->raise();
      pDialog->activateWindow();
    }
  }
  if (HWND hFocus = GetFocus()) ShowFocus(hFocus);

  QEventLoop loop;
  m_vecModalRuns.push_back({hDlg, &loop});
  // Whatever ended the dialog, the loop ends before it waits again.
  auto connection = connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, &loop,
                            [this] { QuitEndedLoops(); });
  if (!IsDialogEnded(hDlg)) loop.exec();
  disconnect(connection);
  m_vecModalRuns.pop_back();
}

}  // namespace qtview
