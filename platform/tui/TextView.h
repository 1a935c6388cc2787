// The text view of the window system: every window drawn in a character
// terminal through ncurses, kept in step with the window system through the
// observer interface, and a person's keys and mouse turned into the window
// system's user input, so the same routing and handlers run as on the
// desktop. It is the modal host: its loop polls the terminal, a pipe for
// signals and the window timers on real time, and draws what changed.
#pragma once

#include <csignal>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "CellHost.h"
#include "CellLayout.h"
#include "Clipboard.h"
#include "CrashGuard.h"
#include "Dialog.h"
#include "MenuCell.h"
#include "Screen.h"
#include "SignalPipe.h"
#include "WindowObserver.h"

namespace tui {

class CCellWindow;

class CTextView final : public CCellHost, public win::CWindowObserver, public win::CModalHost, public win::CClipboard {
 public:
  CTextView();
  ~CTextView() override;
  CTextView(const CTextView&) = delete;
  CTextView& operator=(const CTextView&) = delete;

  // Takes over the terminal on the two streams and installs the view; false
  // with the reason when the terminal cannot be used.
  bool Start(FILE* pIn, FILE* pOut, std::string* pError);
  // Leaves the terminal as it was; also done on destruction.
  void Stop();

  void RunModalLoop(HWND hDlg) override;
  // Turns until the menu is done.
  void RunMenuLoop(HMENU hMenu) override;
  // A modal run whose turns someone else takes (a benchmark's loop).
  void BeginModal(HWND hDlg);
  void EndModal();
  // One turn of the loop: waits at most nMaxWaitMs (-1: as long as needed)
  // for input, a signal or the next timer, handles what came, then draws.
  void Turn(int nMaxWaitMs);
  // Draws what changed and sends it to the terminal.
  void Draw();

  // What its windows ask of the view.
  void Feed(HWND hWnd, const std::function<void()>& action) override;
  bool IsFeeding(HWND hWnd) const override { return m_hFeeding == hWnd; }
  void InvalidateAll() override;
  SIZE ScreenSize() const override { return m_screen.Size(); }
  // The view's window for a window of the window system, if it has one.
  CCellWindow* Find(HWND hWnd) const;

  // The edit boxes' clipboard: the view's own, and the terminal's where it
  // takes OSC 52.
  void SetText(const win::CTextRange& text) override;
  std::u16string Text() const override { return m_clipboard.ToString(); }

  void OnWindowCreated(HWND hWnd) override;
  void OnWindowDestroyed(HWND hWnd) override;
  void OnTextChanged(HWND hWnd, size_t nAppendedFrom) override;
  void OnItemsChanged(HWND hWnd) override;
  void OnSelectionChanged(HWND hWnd) override;
  void OnFormChanged(HWND hWnd) override;
  void OnVisibilityChanged(HWND hWnd) override;
  void OnEnabledChanged(HWND hWnd) override;
  void OnGeometryChanged(HWND hWnd) override;
  void OnTagChanged(HWND hWnd) override;
  void OnFocusChanged(HWND hOld, HWND hNew) override;
  void OnMenuOpened(HMENU hMenu) override;
  void OnMenuChanged(HMENU hMenu) override;
  void OnMenuClosed(HMENU hMenu) override;

 private:
  void Layout();
  void HandleSignal(int nSignal);
  // The terminal hung up (SIGHUP, or it went away): nothing more goes to it.
  static bool IsHungUp() { return win::EndingSignal() == SIGHUP; }
  void HandleInput(const SInput& in);
  void HandleMouse(const SInput& in);
  // Asks the control for its menu at a cell.
  void ContextMenu(HWND hCtl, int x, int y);
  HWND ActiveDialog() const;
  bool DrawDialog(HWND hDlg, bool bAll);

  CScreen m_screen;
  std::unique_ptr<view::CSignalPipe> m_pSignals;
  std::unique_ptr<CCrashGuard> m_pCrashGuard;
  std::unordered_map<HWND, std::unique_ptr<CCellWindow>> m_mapCells;
  std::vector<HWND> m_vecDialogs;  // bottom to top
  // The windows whose rows follow their text, with the rows it wrapped into.
  std::unordered_map<HWND, int> m_mapTextRows;
  std::vector<HWND> m_vecModal;        // the running modal loops, innermost last
  std::unique_ptr<CMenuCell> m_pMenu;  // the open menu
  HWND m_hFeeding = nullptr;
  win::CTextRange m_clipboard;
  bool m_bStarted = false;
  bool m_bLayout = true;
  bool m_bTooSmall = false;
  bool m_bRequestShown = false;
  std::optional<std::pair<int, int>> m_cursor;
};

}  // namespace tui
