// The desktop view of the window system: a Qt widget for every window, kept
// in step with it, and a person's clicks, picks, typing, keys and closing
// turned into the window system's user input, so that the same routing and
// handlers run as in the tests. It is also the modal host, and it runs the
// window timers on real time. SIGTERM, SIGINT and SIGHUP end every dialog.
#pragma once

#include <QFont>
#include <QHash>
#include <QObject>
#include <QSocketNotifier>
#include <csignal>
#include <optional>
#include <unordered_map>

#include "Dialog.h"
#include "SignalPipe.h"
#include "TimerPump.h"
#include "WindowObserver.h"

class QEventLoop;
class QKeyEvent;

namespace qtview {

class CMenuPopup;
class CViewWindow;

class CQtView final : public QObject, public win::CWindowObserver, public win::CModalHost {
 public:
  // Installs the view: observer, modal host, font metrics and desktop size.
  // Needs a QApplication.
  CQtView();
  ~CQtView() override;

  QWidget* Widget(HWND hWnd) const;
  HWND Window(const QObject* pObject) const;
  // SIGTERM, SIGINT or SIGHUP when one of them ended the dialogs, else 0.
  int EndingSignal() const { return m_nEndingSignal; }

  // A person's action on a window, unless it is the echo of a change the
  // view is applying.
  template <typename F>
  void Input(HWND hWnd, F&& action);
  // True while the view is applying a window system change to a widget.
  bool IsApplying() const { return m_nApplying > 0; }
  // True while a person's action on this window is being handed on.
  bool IsFeeding(HWND hWnd) const { return m_hFeeding == hWnd; }

  // A change to a widget that must not come back as a person's action.
  class CApplying {
   public:
    explicit CApplying(CQtView& view) : m_rView(view) { ++m_rView.m_nApplying; }
    ~CApplying() { --m_rView.m_nApplying; }
    CApplying(const CApplying&) = delete;
    CApplying& operator=(const CApplying&) = delete;

   private:
    CQtView& m_rView;
  };

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
  void OnVisibilityChanged(HWND hWnd) override;
  void OnEnabledChanged(HWND hWnd) override;
  void OnGeometryChanged(HWND hWnd) override;
  void OnIconChanged(HWND hWnd) override;
  void OnToolTipChanged(HWND hWnd) override;
  void OnFocusChanged(HWND hOld, HWND hNew) override;
  void OnTimersChanged() override;
  void OnMenuOpened(HMENU hMenu) override;
  void OnMenuChanged(HMENU hMenu) override;
  void OnMenuClosed(HMENU hMenu) override;

 protected:
  bool eventFilter(QObject* pObject, QEvent* pEvent) override;

 private:
  CViewWindow* Find(HWND hWnd) const;
  void Watch(QObject* pObject, HWND hWnd);
  bool HandleKey(HWND hWnd, QKeyEvent* pEvent);
  void HandleFocusIn(HWND hWnd, Qt::FocusReason reason);
  void ShowFocus(HWND hWnd);
  void QuitEndedLoops();
  void EndAll(int nSignal);

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
  int m_nEndingSignal = 0;
};

template <typename F>
void CQtView::Input(HWND hWnd, F&& action) {
  if (IsApplying() || !Find(hWnd)) return;
  HWND hSaved = m_hFeeding;
  m_hFeeding = hWnd;
  action();
  m_hFeeding = hSaved;
  QuitEndedLoops();
}

}  // namespace qtview
