// The desktop view of the window system: a Qt widget for every window, kept
// in step with it, and a person's clicks, picks, typing, keys and closing
// turned into the window system's user input, so that the same routing and
// handlers run as in the tests. It is also the modal host, and it runs the
// window timers on real time. SIGTERM, SIGINT and SIGHUP go to the dialog
// manager, which ends every dialog.
#pragma once

#include <QFont>
#include <QHash>
#include <QObject>
#include <QSocketNotifier>
#include <csignal>
#include <functional>
#include <optional>
#include <unordered_map>

#include "Dialog.h"
#include "SignalPipe.h"
#include "TimerPump.h"
#include "WindowHost.h"
#include "WindowObserver.h"

class QEventLoop;
class QKeyEvent;
class QLineEdit;
class QMouseEvent;

namespace qtview {

class CMenuPopup;
class CViewWindow;

class CQtView final : public QObject, public CWindowHost, public win::CWindowObserver, public win::CModalHost {
 public:
  // Installs the view: observer, modal host, font metrics and desktop size.
  // Needs a QApplication.
  CQtView();
  ~CQtView() override;

  QWidget* Widget(HWND hWnd) const;
  HWND Window(const QObject* pObject) const;

  // What its windows ask of the view.
  void Input(HWND hWnd, const std::function<void()>& action) override;
  bool IsFeeding(HWND hWnd) const override { return m_hFeeding == hWnd; }
  // True while the view is applying a window system change to a widget.
  bool IsApplying() const { return m_nApplying > 0; }

  void RunModalLoop(HWND hDlg) override;
  // Runs the event loop while the menu is open.
  void RunMenuLoop(HMENU hMenu) override;
  // The open menu's popup, if any.
  CMenuPopup* MenuPopup() const { return m_pMenu; }

  void OnWindowCreated(HWND hWnd) override;
  void OnWindowDestroyed(HWND hWnd) override;
  void OnTextChanged(HWND hWnd, size_t nAppendedFrom) override;
  void OnItemsChanged(HWND hWnd) override;
  void OnSelectionChanged(HWND hWnd) override;
  void OnFormChanged(HWND hWnd) override;
  void OnVisibilityChanged(HWND hWnd) override;
  void OnEnabledChanged(HWND hWnd) override;
  void OnGeometryChanged(HWND hWnd) override;
  void OnIconChanged(HWND hWnd) override;
  void OnToolTipChanged(HWND hWnd) override;
  void OnTagChanged(HWND hWnd) override;
  void OnFocusChanged(HWND hOld, HWND hNew) override;
  void OnTimersChanged() override;
  void OnMenuOpened(HMENU hMenu) override;
  void OnMenuChanged(HMENU hMenu) override;
  void OnMenuClosed(HMENU hMenu) override;

 protected:
  bool eventFilter(QObject* pObject, QEvent* pEvent) override;
  void BeginApplying() override { ++m_nApplying; }
  void EndApplying() override { --m_nApplying; }

 private:
  CViewWindow* Find(HWND hWnd) const;
  void Watch(QObject* pObject, HWND hWnd);
  // Hands a key to the dialog manager.
  bool HandleKey(HWND hWnd, QKeyEvent* pEvent);
  // Hands a click on a field's line edit to its window.
  bool HandleFieldMouse(HWND hWnd, QLineEdit* pEdit, QMouseEvent* pEvent);
  void HandleFocusIn(HWND hWnd, Qt::FocusReason reason);
  void ShowFocus(HWND hWnd);
  void QuitEndedLoops();

  std::unordered_map<HWND, CViewWindow*> m_mapWindows;
  QHash<const QObject*, HWND> m_mapObjects;
  // The font whose base units were asked for last: the next dialog's font.
  QFont m_fontDialog;
  CTimerPump m_timerPump;
  int m_nApplying = 0;
  HWND m_hFeeding = nullptr;
  struct CModalRun {
    HWND hDlg;
    QEventLoop* pLoop;
  };
  std::vector<CModalRun> m_vecModalRuns;
  CMenuPopup* m_pMenu = nullptr;
  struct CMenuRun {
    HMENU hMenu;
    QEventLoop* pLoop;
  };
  std::optional<CMenuRun> m_menuRun;
  view::CSignalPipe m_signals{SIGTERM, SIGINT, SIGHUP};
  QSocketNotifier m_signalNotifier{m_signals.Fd(), QSocketNotifier::Read};
};

}  // namespace qtview
