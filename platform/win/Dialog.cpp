#include "Dialog.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <thread>
#include <vector>

#include "Clock.h"
#include "Menu.h"
#include "Mnemonic.h"
#include "Timer.h"
#include "UserInput.h"
#include "Window.h"
#include "WindowRec.h"

namespace {

win::FontMetricsProvider g_fontMetrics;
win::CModalHost* g_pModalHost = nullptr;
// The dialogs in their modal run, innermost last.
std::vector<HWND> g_vecModal;
// The end the program was told of, kept for the modal runs still to come.
struct CPendingEnd {
  int nResult;
  int nSignal;
};
std::optional<CPendingEnd> g_pendingEnd;

// Headless real time: deliver timers until the dialog ends or the menu is done.
class CRealTimeHost final : public win::CModalHost {
 public:
  void RunModalLoop(HWND hDlg) override {
    RunUntil([hDlg] { return IsDialogEnded(hDlg); });
  }
  void RunMenuLoop(HMENU hMenu) override {
    RunUntil([hMenu] { return win::IsMenuDone(hMenu); });
  }

 private:
  template <typename F>
  static void RunUntil(F&& done) {
    while (!done()) {
      if (win::DispatchDueTimer()) continue;
      auto due = win::NextTimerDue();
      int64_t nWait = due ? std::max<int64_t>(0, *due - win::GetClock().NowMs()) : 10;
      std::this_thread::sleep_for(std::chrono::milliseconds(std::min<int64_t>(nWait, 10)));
    }
  }
};

win::CModalHost& Host() {
  static CRealTimeHost realTime;
  return g_pModalHost ? *g_pModalHost : realTime;
}

bool IsTabStop(HWND h) { return (GetWindowStyle(h) & WS_TABSTOP) && IsWindowVisible(h) && IsWindowEnabled(h); }

bool IsPushButton(HWND h, DWORD type) {
  return GetWindowClass(h) == WindowClass::Button && (GetWindowStyle(h) & BS_TYPEMASK) == type;
}

// A push button is the default one while it has the focus, so Enter is its
// command; otherwise it is the default push button's, and in a dialog without
// one (as the terminal's template) the OK command.
// The focused control, if it is one of the dialog's.
HWND FocusIn(HWND hDlg) {
  HWND hFocus = GetFocus();
  return hFocus && GetParent(hFocus) == hDlg ? hFocus : nullptr;
}

// The focus moved by the dialog manager selects an edit box's whole text.
void FocusAndSelect(HWND hCtl) {
  SetFocus(hCtl);
  if (SendMessage(hCtl, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessage(hCtl, EM_SETSEL, 0, -1);
}

int EnterCommand(HWND hDlg) {
  HWND hFocus = GetFocus();
  if (hFocus && GetParent(hFocus) == hDlg &&
      (IsPushButton(hFocus, BS_PUSHBUTTON) || IsPushButton(hFocus, BS_DEFPUSHBUTTON)))
    return GetDlgCtrlID(hFocus);
  const auto& children = GetChildren(hDlg);
  auto itDefault = std::ranges::find_if(children, [](HWND h) { return IsPushButton(h, BS_DEFPUSHBUTTON); });
  return itDefault == children.end() ? IDOK : GetDlgCtrlID(*itDefault);
}

// An edit box or a list's field: a letter typed there is text, not a mnemonic.
// The first shown, enabled button whose mnemonic is the key is clicked.
bool ClickMnemonic(HWND hDlg, UINT vk) {
  if (vk == 0) return false;
  for (HWND h : GetChildren(hDlg)) {
    if (GetWindowClass(h) != WindowClass::Button || (GetWindowStyle(h) & BS_TYPEMASK) == BS_GROUPBOX) continue;
    if (IsWindowVisible(h) && IsWindowEnabled(h) && win::MnemonicKey(GetWindowText(h)) == vk)
      return SendMessage(h, BM_CLICK, 0, 0) != FALSE;
  }
  return false;
}

}  // namespace

namespace win {

void SetFontMetricsProvider(FontMetricsProvider provider) { g_fontMetrics = std::move(provider); }

SIZE GetDialogBaseUnits(std::u16string_view fontName, int pointSize) {
  if (g_fontMetrics) return g_fontMetrics(fontName, pointSize);
  // An 8-point dialog font on a 96-dpi screen.
  return SIZE{6 * pointSize / 8, 13 * pointSize / 8};
}

RECT MapDialogRect(const RECT& dlu, SIZE base) {
  long x = dlu.left * base.cx / 4, y = dlu.top * base.cy / 8;
  long cx = (dlu.right - dlu.left) * base.cx / 4, cy = (dlu.bottom - dlu.top) * base.cy / 8;
  return RECT{x, y, x + cx, y + cy};
}

void SetModalHost(CModalHost* pHost) { g_pModalHost = pHost; }

int EndingSignal() { return g_pendingEnd ? g_pendingEnd->nSignal : 0; }

void ForgetPendingEnd() { g_pendingEnd.reset(); }

void CScriptModalHost::RunModalLoop(HWND hDlg) {
  ++m_nDepth;
  const auto& script = m_nDepth == 1 ? m_script : m_nested;
  if (script) script(hDlg);
  --m_nDepth;
  if (!IsDialogEnded(hDlg)) EndDialog(hDlg, m_nResult);
}

void CScriptModalHost::RunMenuLoop(HMENU hMenu) {
  if (m_menu) m_menu(hMenu);
  if (!IsMenuDone(hMenu)) EndMenu();
}

}  // namespace win

namespace win::detail {

void RunMenuLoop(HMENU hMenu) { Host().RunMenuLoop(hMenu); }

}  // namespace win::detail

HWND CreateDialogIndirect(const win::DialogTemplate& tmpl, HWND hParent, WNDPROC proc, void* userData) {
  SIZE base = win::GetDialogBaseUnits(tmpl.fontName, tmpl.pointSize);
  RECT dlu{tmpl.x, tmpl.y, tmpl.x + tmpl.cx, tmpl.y + tmpl.cy};
  HWND hDlg = CreateWindowFromParams({.cls = WindowClass::Dialog,
                                      .style = tmpl.style,
                                      .exStyle = tmpl.exStyle,
                                      .id = 0,
                                      .text = tmpl.caption,
                                      .parent = hParent,
                                      .dluRect = dlu,
                                      .pixelRect = win::MapDialogRect(dlu, base),
                                      .proc = proc,
                                      .userData = userData});
  for (const auto& item : tmpl.items) {
    RECT r{item.x, item.y, item.x + item.cx, item.y + item.cy};
    CreateWindowFromParams({.cls = item.cls,
                            .style = item.style | WS_CHILD,
                            .exStyle = item.exStyle,
                            .id = item.id,
                            .text = item.text ? item.text : u"",
                            .parent = hDlg,
                            .dluRect = r,
                            .pixelRect = win::MapDialogRect(r, base),
                            .proc = nullptr,
                            .userData = nullptr});
  }
  if (SendMessage(hDlg, WM_INITDIALOG, 0, 0)) {
    if (HWND hFirst = GetNextDlgTabItem(hDlg, nullptr, false)) FocusAndSelect(hFirst);
  }
  return hDlg;
}

int DialogBoxIndirect(const win::DialogTemplate& tmpl, HWND hParent, WNDPROC proc, void* userData) {
  // The owner takes no input while its modal dialog is up, and gets its
  // focus back afterwards.
  HWND hFocus = GetFocus();
  bool bDisableOwner = IsWindow(hParent) && IsWindowEnabled(hParent);
  if (bDisableOwner) EnableWindow(hParent, false);
  HWND hDlg = CreateDialogIndirect(tmpl, hParent, proc, userData);
  if (g_pendingEnd) EndDialog(hDlg, g_pendingEnd->nResult);
  if (!IsDialogEnded(hDlg)) {
    g_vecModal.push_back(hDlg);
    Host().RunModalLoop(hDlg);
    g_vecModal.pop_back();
  }
  int nResult = hDlg->nResult;
  DestroyWindow(hDlg);
  if (bDisableOwner && IsWindow(hParent)) EnableWindow(hParent, true);
  if (IsWindow(hFocus)) SetFocus(hFocus);
  return nResult;
}

BOOL EndDialog(HWND hDlg, int nResult) {
  if (!IsWindow(hDlg)) return FALSE;
  hDlg->bEnded = true;
  hDlg->nResult = nResult;
  return TRUE;
}

bool IsDialogEnded(HWND hDlg) { return !IsWindow(hDlg) || hDlg->bEnded; }

void EndModalDialogs(int nResult, int nSignal) {
  EndMenu();
  if (!g_pendingEnd) g_pendingEnd = CPendingEnd{nResult, nSignal};
  for (HWND hDlg : g_vecModal) EndDialog(hDlg, g_pendingEnd->nResult);
}

HWND GetNextDlgTabItem(HWND hDlg, HWND hCtl, bool bPrevious) {
  const auto& children = GetChildren(hDlg);
  size_t n = children.size();
  if (n == 0) return nullptr;
  size_t start = n - 1;  // so that the first step lands on the first control
  if (bPrevious) start = 0;
  for (size_t i = 0; i < n; ++i)
    if (children[i] == hCtl) start = i;
  for (size_t step = 1; step <= n; ++step) {
    size_t i = bPrevious ? (start + n - step) % n : (start + step) % n;
    if (IsTabStop(children[i])) return children[i];
  }
  return nullptr;
}

bool IsDialogMessage(HWND hDlg, UINT vk, UINT nModifiers) {
  if (nModifiers & win::input::kAlt) return ClickMnemonic(hDlg, vk);
  HWND hFocus = FocusIn(hDlg);
  LRESULT code = hFocus ? SendMessage(hFocus, WM_GETDLGCODE, vk, 0) : 0;
  bool bWanted = (code & DLGC_WANTALLKEYS) || (vk == VK_TAB && (code & DLGC_WANTTAB));
  bool bDialogKey = vk == VK_TAB || vk == VK_RETURN || vk == VK_ESCAPE;
  if (!bWanted && !bDialogKey) {
    bool bArrow = vk == VK_LEFT || vk == VK_RIGHT || vk == VK_UP || vk == VK_DOWN;
    bWanted = bArrow ? (code & DLGC_WANTARROWS) : (code & (DLGC_WANTCHARS | DLGC_HASSETSEL));
  }
  if (bWanted) {
    win::input::Key(hFocus, vk, nModifiers);
    return true;
  }
  // Tab, Enter and Escape with Ctrl are not the dialog's either.
  if (!bDialogKey || (nModifiers & win::input::kCtrl)) return false;
  switch (vk) {
    case VK_TAB:
      if (HWND hNext = GetNextDlgTabItem(hDlg, GetFocus(), nModifiers & win::input::kShift)) FocusAndSelect(hNext);
      return true;
    case VK_RETURN:
      SendMessage(hDlg, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(EnterCommand(hDlg)), BN_CLICKED), 0);
      return true;
    case VK_ESCAPE:
      SendMessage(hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      return true;
  }
  return false;
}

bool IsDialogChar(HWND hDlg, char32_t c) {
  HWND hFocus = FocusIn(hDlg);
  if (hFocus && (SendMessage(hFocus, WM_GETDLGCODE, 0, 0) & (DLGC_WANTCHARS | DLGC_WANTALLKEYS))) {
    win::input::Char(hFocus, c);
    return true;
  }
  return ClickMnemonic(hDlg, win::MnemonicKey(c));
}
