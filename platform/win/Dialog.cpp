#include "Dialog.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "Clock.h"
#include "Menu.h"
#include "Timer.h"
#include "Window.h"
#include "WindowRec.h"

namespace {

win::FontMetricsProvider g_fontMetrics;
win::CModalHost* g_pModalHost = nullptr;
// The dialogs in their modal run, innermost last.
std::vector<HWND> g_vecModal;

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
int EnterCommand(HWND hDlg) {
  HWND hFocus = GetFocus();
  if (hFocus && GetParent(hFocus) == hDlg &&
      (IsPushButton(hFocus, BS_PUSHBUTTON) || IsPushButton(hFocus, BS_DEFPUSHBUTTON)))
    return GetDlgCtrlID(hFocus);
  const auto& children = GetChildren(hDlg);
  auto itDefault = std::ranges::find_if(children, [](HWND h) { return IsPushButton(h, BS_DEFPUSHBUTTON); });
  return itDefault == children.end() ? IDOK : GetDlgCtrlID(*itDefault);
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
  if (SendMessage(hDlg, WM_INITDIALOG, 0, 0)) SetFocus(GetNextDlgTabItem(hDlg, nullptr, false));
  return hDlg;
}

int DialogBoxIndirect(const win::DialogTemplate& tmpl, HWND hParent, WNDPROC proc, void* userData) {
  // The owner takes no input while its modal dialog is up, and gets its
  // focus back afterwards.
  HWND hFocus = GetFocus();
  bool bDisableOwner = IsWindow(hParent) && IsWindowEnabled(hParent);
  if (bDisableOwner) EnableWindow(hParent, false);
  HWND hDlg = CreateDialogIndirect(tmpl, hParent, proc, userData);
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

void EndModalDialogs(int nResult) {
  EndMenu();
  for (HWND hDlg : g_vecModal) EndDialog(hDlg, nResult);
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

bool IsDialogMessage(HWND hDlg, UINT vk, bool bShift) {
  switch (vk) {
    case VK_TAB:
      if (HWND hNext = GetNextDlgTabItem(hDlg, GetFocus(), bShift)) SetFocus(hNext);
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
