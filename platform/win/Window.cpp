// The window registry: windows are created and destroyed here, and every
// public window function checks its handle against the registry, answering
// as the platform does for a handle that is not a window.
#include "Window.h"

#include <unordered_set>

#include "Timer.h"
#include "WindowObserver.h"
#include "WindowRec.h"

namespace {

std::unordered_set<HWND> g_windows;
HWND g_hFocus = nullptr;
SIZE g_desktop{640, 480};

WNDPROC ClassProc(WindowClass cls) {
  switch (cls) {
    case WindowClass::Dialog:
      return win::detail::DefDlgProc;
    case WindowClass::Button:
      return win::detail::ButtonProc;
    case WindowClass::Edit:
      return win::detail::EditProc;
    case WindowClass::ComboBox:
      return win::detail::ComboBoxProc;
    case WindowClass::Static:
    case WindowClass::None:
      break;
  }
  return win::detail::StaticProc;
}

}  // namespace

namespace win::detail {

void NotifyParent(HWND hCtl, WORD code) {
  if (hCtl->parent) {
    SendMessage(hCtl->parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(hCtl->id), code),
                reinterpret_cast<LPARAM>(hCtl));
  }
}

}  // namespace win::detail

HWND CreateWindowFromParams(const CreateParams& params) {
  if (params.cls == WindowClass::None || (params.parent && !IsWindow(params.parent))) return nullptr;
  auto* hWnd = new WindowRec;
  hWnd->cls = params.cls;
  hWnd->style = params.style;
  hWnd->exStyle = params.exStyle;
  hWnd->id = params.id;
  hWnd->parent = params.parent;
  hWnd->dluRect = params.dluRect;
  hWnd->pixelRect = params.pixelRect;
  hWnd->proc = params.proc ? params.proc : ClassProc(params.cls);
  hWnd->userData = params.userData;
  if (!params.text.empty()) hWnd->text.Assign(params.text);
  g_windows.insert(hWnd);
  // A pop-up's parent is its owner, which does not count it among its children.
  if (params.parent && (params.style & WS_CHILD)) params.parent->children.push_back(hWnd);
  win::NotifyObservers([&](win::CWindowObserver& o) { o.OnWindowCreated(hWnd); });
  return hWnd;
}

BOOL DestroyWindow(HWND hWnd) {
  if (!IsWindow(hWnd)) return FALSE;
  while (!hWnd->children.empty()) DestroyWindow(hWnd->children.back());
  win::KillAllTimers(hWnd);
  win::NotifyObservers([&](win::CWindowObserver& o) { o.OnWindowDestroyed(hWnd); });
  SendMessage(hWnd, WM_NCDESTROY, 0, 0);
  if (g_hFocus == hWnd) g_hFocus = nullptr;
  if (hWnd->parent) std::erase(hWnd->parent->children, hWnd);
  g_windows.erase(hWnd);
  delete hWnd;
  return TRUE;
}

bool IsWindow(HWND hWnd) { return hWnd && g_windows.count(hWnd) != 0; }

LRESULT SendMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!IsWindow(hWnd)) return 0;
  return hWnd->proc(hWnd, message, wParam, lParam);
}

LRESULT DefWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!IsWindow(hWnd)) return 0;
  return ClassProc(hWnd->cls)(hWnd, message, wParam, lParam);
}

WNDPROC SetWindowProc(HWND hWnd, WNDPROC proc) {
  if (!IsWindow(hWnd) || !proc) return nullptr;
  WNDPROC old = hWnd->proc;
  hWnd->proc = proc;
  return old;
}

void* GetWindowUserData(HWND hWnd) { return IsWindow(hWnd) ? hWnd->userData : nullptr; }

void SetWindowUserData(HWND hWnd, void* data) {
  if (IsWindow(hWnd)) hWnd->userData = data;
}

WindowClass GetWindowClass(HWND hWnd) { return IsWindow(hWnd) ? hWnd->cls : WindowClass::None; }
DWORD GetWindowStyle(HWND hWnd) { return IsWindow(hWnd) ? hWnd->style : 0; }
DWORD GetWindowExStyle(HWND hWnd) { return IsWindow(hWnd) ? hWnd->exStyle : 0; }
int GetDlgCtrlID(HWND hWnd) { return IsWindow(hWnd) ? hWnd->id : 0; }
HWND GetParent(HWND hWnd) { return IsWindow(hWnd) ? hWnd->parent : nullptr; }

HWND GetDlgItem(HWND hDlg, int id) {
  for (HWND h : GetChildren(hDlg))
    if (h->id == id) return h;
  return nullptr;
}

const std::vector<HWND>& GetChildren(HWND hWnd) {
  static const std::vector<HWND> kNone;
  return IsWindow(hWnd) ? hWnd->children : kNone;
}

bool IsWindowVisible(HWND hWnd) {
  if (!IsWindow(hWnd)) return false;
  for (HWND h = hWnd; h; h = (h->style & WS_CHILD) ? h->parent : nullptr)
    if (!(h->style & WS_VISIBLE)) return false;
  return true;
}

bool IsWindowEnabled(HWND hWnd) { return IsWindow(hWnd) && !(hWnd->style & WS_DISABLED); }

void ShowWindow(HWND hWnd, bool bShow) {
  if (!IsWindow(hWnd)) return;
  DWORD style = bShow ? (hWnd->style | WS_VISIBLE) : (hWnd->style & ~WS_VISIBLE);
  if (style == hWnd->style) return;
  hWnd->style = style;
  win::NotifyObservers([&](win::CWindowObserver& o) { o.OnVisibilityChanged(hWnd); });
}

void EnableWindow(HWND hWnd, bool bEnable) {
  if (!IsWindow(hWnd)) return;
  DWORD style = bEnable ? (hWnd->style & ~WS_DISABLED) : (hWnd->style | WS_DISABLED);
  if (style == hWnd->style) return;
  hWnd->style = style;
  win::NotifyObservers([&](win::CWindowObserver& o) { o.OnEnabledChanged(hWnd); });
}

RECT GetDialogUnitRect(HWND hWnd) { return IsWindow(hWnd) ? hWnd->dluRect : RECT{}; }
RECT GetWindowRect(HWND hWnd) { return IsWindow(hWnd) ? hWnd->pixelRect : RECT{}; }

BOOL MoveWindow(HWND hWnd, const RECT& rect) {
  if (!IsWindow(hWnd)) return FALSE;
  hWnd->pixelRect = rect;
  win::NotifyObservers([&](win::CWindowObserver& o) { o.OnGeometryChanged(hWnd); });
  return TRUE;
}

SIZE GetDesktopSize() { return g_desktop; }
void SetDesktopSize(SIZE size) { g_desktop = size; }

HWND GetFocus() { return g_hFocus; }

HWND SetFocus(HWND hWnd) {
  if (hWnd && !IsWindow(hWnd)) return nullptr;
  HWND hOld = g_hFocus;
  if (hWnd == hOld) return hOld;
  g_hFocus = hWnd;
  win::NotifyObservers([&](win::CWindowObserver& o) { o.OnFocusChanged(hOld, hWnd); });
  return hOld;
}

HICON GetWindowIcon(HWND hWnd, WPARAM kind) {
  if (!IsWindow(hWnd)) return nullptr;
  return kind == ICON_BIG ? hWnd->iconBig : hWnd->iconSmall;
}
