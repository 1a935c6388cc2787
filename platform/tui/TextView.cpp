#include "TextView.h"

#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <climits>
#include <string>

#include "ButtonCell.h"
#include "Clock.h"
#include "ComboCell.h"
#include "DialogCell.h"
#include "DialogLayout.h"
#include "EditBox.h"
#include "EditCell.h"
#include "GroupBoxCell.h"
#include "KeyInput.h"
#include "Menu.h"
#include "RecordCell.h"
#include "StaticCell.h"
#include "Timer.h"
#include "UserInput.h"
#include "Window.h"

namespace tui {

namespace {

// Ticks delivered in one turn at most, so that keys still get through when
// the timers fall behind.
constexpr int kMaxTicksPerTurn = 8;
// The colours the dialog is drawn in unless its procedure answers others.
constexpr CTLCOLORS kDefaultColours{RGB(212, 208, 200), RGB(0, 0, 0)};
// More than a terminal's clipboard takes in one OSC 52.
constexpr size_t kMaxCopy = 1 << 20;

std::u16string RequestText(SIZE size) {
  std::string str = "Please make the terminal at least " + std::to_string(kSmallestScreen.cx) + " x " +
                    std::to_string(kSmallestScreen.cy) + " (it is " + std::to_string(size.cx) + " x " +
                    std::to_string(size.cy) + ").";
  return std::u16string(str.begin(), str.end());
}

}  // namespace

CTextView::CTextView() = default;

CTextView::~CTextView() { Stop(); }

bool CTextView::Start(FILE* pIn, FILE* pOut, std::string* pError) {
  // Before ncurses starts, so that it keeps to these handlers.
  m_pSignals = std::make_unique<view::CSignalPipe>(std::initializer_list<int>{SIGWINCH, SIGTERM, SIGINT, SIGHUP});
  m_pCrashGuard = std::make_unique<CCrashGuard>(fileno(pIn), fileno(pOut));
  if (!m_screen.Start(pIn, pOut, pError)) {
    m_pCrashGuard.reset();
    m_pSignals.reset();
    return false;
  }
  m_pCrashGuard->SetLeave(m_screen.LeaveSequence());
  win::SetModalHost(this);
  win::AddWindowObserver(this);
  win::SetClipboard(this);
  m_bStarted = true;
  return true;
}

void CTextView::Stop() {
  if (!m_bStarted) return;
  m_bStarted = false;
  win::SetClipboard(nullptr);
  win::RemoveWindowObserver(this);
  win::SetModalHost(nullptr);
  m_mapCells.clear();
  m_vecDialogs.clear();
  m_screen.Stop();
  m_pCrashGuard.reset();
  m_pSignals.reset();
}

CCellWindow* CTextView::Find(HWND hWnd) const {
  auto it = m_mapCells.find(hWnd);
  return it == m_mapCells.end() ? nullptr : it->second.get();
}

void CTextView::SetText(const win::CTextRange& text) {
  m_clipboard = text;
  m_screen.Copy(text.substr(0, kMaxCopy).ToString());
}

void CTextView::OnWindowCreated(HWND hWnd) {
  std::unique_ptr<CCellWindow> pCell;
  DWORD style = GetWindowStyle(hWnd);
  switch (GetWindowClass(hWnd)) {
    case WindowClass::Dialog:
      pCell = std::make_unique<CDialogCell>(*this, hWnd);
      m_vecDialogs.push_back(hWnd);
      break;
    case WindowClass::Button:
      if ((style & BS_TYPEMASK) == BS_GROUPBOX)
        pCell = std::make_unique<CGroupBoxCell>(*this, hWnd);
      else
        pCell = std::make_unique<CButtonCell>(*this, hWnd);
      break;
    case WindowClass::Static:
      pCell = std::make_unique<CStaticCell>(*this, hWnd);
      break;
    case WindowClass::Edit:
      if (style & ES_MULTILINE)
        pCell = std::make_unique<CRecordCell>(*this, hWnd);
      else
        pCell = std::make_unique<CEditCell>(*this, hWnd);
      break;
    case WindowClass::ComboBox:
      pCell = std::make_unique<CComboCell>(*this, hWnd);
      break;
    case WindowClass::None:
      return;
  }
  m_mapCells[hWnd] = std::move(pCell);
  m_bLayout = true;
}

void CTextView::OnWindowDestroyed(HWND hWnd) {
  if (m_mapCells.erase(hWnd) == 0) return;
  std::erase(m_vecDialogs, hWnd);
  m_bLayout = true;
  InvalidateAll();
}

void CTextView::OnTextChanged(HWND hWnd, size_t nAppendedFrom) {
  CCellWindow* p = Find(hWnd);
  if (!p) return;
  p->ShowText(nAppendedFrom);
  // A text that wraps into other rows lays the dialog out again.
  if (auto it = m_mapTextRows.find(hWnd); it != m_mapTextRows.end() && TextRows(hWnd, p->Rect().cx) != it->second)
    m_bLayout = true;
}

void CTextView::OnItemsChanged(HWND hWnd) {
  if (CCellWindow* p = Find(hWnd)) p->ShowItems();
  m_bLayout = true;
}

void CTextView::OnSelectionChanged(HWND hWnd) {
  if (CCellWindow* p = Find(hWnd)) p->ShowSelection();
}

void CTextView::OnFormChanged(HWND hWnd) {
  if (CCellWindow* p = Find(hWnd)) p->ShowForm();
}

void CTextView::OnVisibilityChanged(HWND) {
  m_bLayout = true;
  InvalidateAll();
}

void CTextView::OnEnabledChanged(HWND hWnd) {
  if (CCellWindow* p = Find(hWnd)) p->Invalidate();
}

void CTextView::OnGeometryChanged(HWND) {
  // Cells follow the template's dialog units and the terminal's size; a
  // move in pixels changes neither.
}

void CTextView::OnTagChanged(HWND hWnd) {
  if (CCellWindow* p = Find(hWnd)) p->Invalidate();
}

void CTextView::OnFocusChanged(HWND hOld, HWND hNew) {
  if (CCellWindow* p = Find(hOld)) {
    p->Leave();
    p->Invalidate();
  }
  if (CCellWindow* p = Find(hNew)) p->Invalidate();
}

void CTextView::Feed(HWND hWnd, const std::function<void()>& action) {
  HWND hSaved = m_hFeeding;
  m_hFeeding = hWnd;
  action();
  m_hFeeding = hSaved;
}

void CTextView::OnMenuOpened(HMENU hMenu) { m_pMenu = std::make_unique<CMenuCell>(hMenu, m_screen.Size()); }

void CTextView::OnMenuChanged(HMENU) {
  // Its items may have grown narrower or fewer: what it covered is drawn again.
  if (m_pMenu) InvalidateAll();
}

void CTextView::OnMenuClosed(HMENU) {
  m_pMenu.reset();
  InvalidateAll();
}

void CTextView::InvalidateAll() {
  for (auto& [h, p] : m_mapCells) p->Invalidate();
  if (m_pMenu) m_pMenu->Invalidate();
}

void CTextView::Layout() {
  m_bLayout = false;
  SIZE size = m_screen.Size();
  bool bTooSmall = size.cx < kSmallestScreen.cx || size.cy < kSmallestScreen.cy;
  m_mapTextRows.clear();
  for (HWND hDlg : m_vecDialogs) {
    CCellWindow* pDialog = Find(hDlg);
    auto cells = bTooSmall ? std::nullopt : LayoutDialog(hDlg, size);
    if (!cells) {
      bTooSmall = true;
      break;
    }
    pDialog->SetRect(cells->frame);
    m_mapTextRows.insert(cells->textRows.begin(), cells->textRows.end());
    for (HWND h : GetChildren(hDlg))
      if (CCellWindow* p = Find(h)) p->SetRect({});
    for (const auto& [h, rect] : cells->controls) {
      CCellWindow* p = Find(h);
      if (!p) continue;
      p->SetRect(rect);
      if (auto* pCombo = dynamic_cast<CComboCell*>(p)) {
        RECT dlu = GetDialogUnitRect(h);
        // The dropped-down part's height in the template, in the rows the
        // dialog's height was given.
        long nRows = (dlu.bottom - dlu.top) * cells->frame.cy / std::max<long>(1, GetDialogUnitRect(hDlg).bottom);
        pCombo->SetListRows(static_cast<int>(std::clamp<long>(nRows - 1, 3, 10)));
      }
    }
  }
  if (bTooSmall != m_bTooSmall || !bTooSmall) m_screen.Invalidate();
  m_bTooSmall = bTooSmall;
  if (m_pMenu) m_pMenu->SetScreenSize(size);
  m_bRequestShown = false;
  InvalidateAll();
}

bool CTextView::DrawDialog(HWND hDlg, bool bAll) {
  CCellWindow* pDialog = Find(hDlg);
  if (!pDialog || !(GetWindowStyle(hDlg) & WS_VISIBLE)) return false;
  bool bDrew = false;
  if (bAll || pDialog->IsDirty()) {
    pDialog->Draw(m_screen);
    pDialog->Drawn();
    bAll = bDrew = true;
  }
  CCellWindow* pPopup = nullptr;
  for (HWND h : GetChildren(hDlg)) {
    CCellWindow* p = Find(h);
    if (!p || p->Rect().cx <= 0 || !IsWindowVisible(h)) continue;
    if (p->Popup()) pPopup = p;
    if (!bAll && !p->IsDirty()) continue;
    p->Draw(m_screen);
    p->Drawn();
    bDrew = true;
  }
  if (pPopup && (bDrew || pPopup->IsDirty())) {
    pPopup->DrawPopup(m_screen);
    bDrew = true;
  }
  return bDrew;
}

void CTextView::Draw() {
  if (!m_screen.IsStarted() || IsHungUp()) return;
  if (m_bLayout) Layout();
  if (m_bTooSmall) {
    if (m_bRequestShown) return;
    SIZE size = m_screen.Size();
    m_screen.Fill({0, 0, static_cast<int>(size.cx), static_cast<int>(size.cy)}, EStyle::Dialog);
    m_screen.Put(0, 0, RequestText(size), static_cast<int>(size.cx), EStyle::Request);
    m_screen.SetCursor(std::nullopt);
    m_screen.Flush();
    m_bRequestShown = true;
    return;
  }
  bool bDrew = false;
  // A dialog over another is drawn again whenever the one below drew.
  for (HWND hDlg : m_vecDialogs) bDrew = DrawDialog(hDlg, bDrew) || bDrew;
  if (m_pMenu && (bDrew || m_pMenu->IsDirty())) {
    m_pMenu->Draw(m_screen);
    bDrew = true;
  }

  std::optional<std::pair<int, int>> cursor;
  HWND hFocus = GetFocus();
  CCellWindow* pFocus = m_pMenu ? nullptr : Find(hFocus);
  if (pFocus && GetParent(hFocus) == ActiveDialog()) cursor = pFocus->Caret();
  if (!bDrew && cursor == m_cursor) return;
  m_cursor = cursor;
  m_screen.SetCursor(cursor);
  m_screen.Flush();
}

HWND CTextView::ActiveDialog() const { return m_vecModal.empty() ? nullptr : m_vecModal.back(); }

void CTextView::RunModalLoop(HWND hDlg) {
  BeginModal(hDlg);
  while (!IsDialogEnded(hDlg)) Turn(-1);
  EndModal();
}

void CTextView::RunMenuLoop(HMENU hMenu) {
  while (!win::IsMenuDone(hMenu)) Turn(-1);
}

void CTextView::BeginModal(HWND hDlg) {
  if (m_vecModal.empty()) {
    CTLCOLORS colours = kDefaultColours;
    if (SendMessage(hDlg, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(&colours), reinterpret_cast<LPARAM>(hDlg)))
      m_screen.SetDialogColours(colours.background, colours.text);
  }
  m_vecModal.push_back(hDlg);
  m_bLayout = true;
}

void CTextView::EndModal() {
  m_vecModal.pop_back();
  InvalidateAll();
}

void CTextView::Turn(int nMaxWaitMs) {
  Draw();
  int nWait = nMaxWaitMs;
  if (auto due = win::NextTimerDue()) {
    int64_t nDue = std::clamp<int64_t>(*due - win::GetClock().NowMs(), 0, INT_MAX);
    nWait = nWait < 0 ? static_cast<int>(nDue) : std::min(nWait, static_cast<int>(nDue));
  }
  pollfd fds[2] = {{m_pSignals->Fd(), POLLIN, 0}, {m_screen.InputFd(), POLLIN, 0}};
  // A terminal that has gone away is not asked again.
  nfds_t nFds = IsHungUp() ? 1 : 2;
  if (poll(fds, nFds, nWait) > 0) {
    if (fds[0].revents & POLLIN)
      while (int nSignal = m_pSignals->Next()) HandleSignal(nSignal);
    if (nFds == 2 && fds[1].revents) {
      int nWaiting = 0;
      // Readable with nothing to read: the terminal has gone away.
      bool bGone = (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL)) ||
                   (ioctl(fds[1].fd, FIONREAD, &nWaiting) == 0 && nWaiting == 0);
      if (bGone) {
        EndModalDialogs(IDCANCEL, SIGHUP);
      } else {
        while (auto in = m_screen.Read()) HandleInput(*in);
      }
    }
  }
  for (int i = 0; i < kMaxTicksPerTurn && win::DispatchDueTimer(); ++i) {
  }
}

void CTextView::HandleSignal(int nSignal) {
  if (nSignal == SIGWINCH) {
    m_screen.Resize();
    m_bLayout = true;
    return;
  }
  // As on a Cancel that asks nothing: no confirmation box holds the ending up.
  EndModalDialogs(IDCANCEL, nSignal);
}

void CTextView::HandleInput(const SInput& in) {
  HWND hDlg = ActiveDialog();
  if (!hDlg || in.key == EKey::None || m_bTooSmall) return;
  if (m_pMenu) {
    if (in.key == EKey::Mouse)
      m_pMenu->Mouse(in);
    else
      m_pMenu->Key(in);
    return;
  }
  if (in.key == EKey::Mouse) {
    HandleMouse(in);
    return;
  }
  HWND hFocus = GetFocus();
  // A paste is text for the focused field; none of it acts on the dialog.
  if (in.key == EKey::Paste) {
    Feed(hFocus, [&] { win::input::Paste(hFocus, in.strText); });
    return;
  }
  CCellWindow* pFocus = GetParent(hFocus) == hDlg ? Find(hFocus) : nullptr;
  if (pFocus && in.key == EKey::ContextMenu) {
    // At the caret, else at the control's first cell.
    auto at = pFocus->Caret().value_or(std::pair{pFocus->Rect().x, pFocus->Rect().y});
    ContextMenu(hFocus, at.first, at.second);
    return;
  }
  if (pFocus && pFocus->Key(in)) return;
  std::optional<SKeyInput> key = KeyOf(in);
  if (!key) return;
  Feed(hFocus, [&] {
    if (key->vk)
      win::input::PressKey(hDlg, key->vk, key->nModifiers);
    else
      win::input::Type(hDlg, key->ch);
  });
  // A selection a record box made with Shift goes to the terminal's clipboard.
  if (in.bShift && IsWindow(hFocus) && (GetWindowStyle(hFocus) & ES_MULTILINE) &&
      !win::GetEditSelection(hFocus).IsEmpty())
    SendMessage(hFocus, WM_COPY, 0, 0);
}

void CTextView::HandleMouse(const SInput& in) {
  HWND hDlg = ActiveDialog();
  // A dropped-down list has the mouse first; elsewhere a press closes it.
  for (HWND h : GetChildren(hDlg))
    if (CCellWindow* p = Find(h); p && p->Popup() && p->Mouse(in)) return;
  HWND hHit = hDlg;
  for (HWND h : GetChildren(hDlg)) {
    CCellWindow* p = Find(h);
    if (!p || !IsWindowVisible(h) || !IsWindowEnabled(h) || !p->Rect().Contains(in.x, in.y)) continue;
    if (dynamic_cast<CGroupBoxCell*>(p) || dynamic_cast<CStaticCell*>(p)) continue;
    hHit = h;
    break;
  }
  if (in.mouse == EMouse::RightPress)
    ContextMenu(hHit, in.x, in.y);
  else if (CCellWindow* p = Find(hHit))
    p->Mouse(in);
}

void CTextView::ContextMenu(HWND hCtl, int x, int y) {
  Feed(hCtl, [&] { win::input::ContextMenu(hCtl, POINT{x, y}); });
}

}  // namespace tui
