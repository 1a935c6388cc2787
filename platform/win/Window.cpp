#include "Window.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

#include "Timer.h"
#include "WindowObserver.h"
#include "WindowRec.h"

namespace {

std::unordered_set<HWND> g_windows;
std::vector<win::CWindowObserver*> g_observers;
HWND g_hFocus = nullptr;
SIZE g_desktop{640, 480};

// A class procedure's answer for a message it leaves to the common handling.
constexpr LRESULT kUnhandled = -2;

LRESULT ComboProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto& items = hWnd->items;
  auto select = [&](int index) {
    hWnd->curSel = index;
    win::StoreText(hWnd, win::CSharedText(index >= 0 ? std::u16string_view(items[index]) : std::u16string_view()));
    win::NotifyObservers([&](win::CWindowObserver& o) { o.OnSelectionChanged(hWnd); });
  };
  switch (message) {
    case CB_ADDSTRING:
      items.emplace_back(reinterpret_cast<const char16_t*>(lParam));
      win::NotifyObservers([&](win::CWindowObserver& o) { o.OnItemsChanged(hWnd); });
      return static_cast<LRESULT>(items.size() - 1);
    case CB_GETCOUNT:
      return static_cast<LRESULT>(items.size());
    case CB_GETCURSEL:
      return hWnd->curSel;
    case CB_SETCURSEL: {
      // No notification is sent; an index out of range clears the selection.
      int index = static_cast<int>(static_cast<intptr_t>(wParam));
      if (index < 0 || static_cast<size_t>(index) >= items.size()) {
        select(-1);
        return CB_ERR;
      }
      select(index);
      return index;
    }
    case CB_GETLBTEXTLEN:
    case CB_GETLBTEXT: {
      size_t index = wParam;
      if (index >= items.size()) return CB_ERR;
      const auto& item = items[index];
      if (message == CB_GETLBTEXT) {
        auto* out = reinterpret_cast<char16_t*>(lParam);
        std::copy(item.begin(), item.end(), out);
        out[item.size()] = 0;
      }
      return static_cast<LRESULT>(item.size());
    }
  }
  return kUnhandled;
}

LRESULT DialogProc(HWND hWnd, UINT message) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_CLOSE:
      // Closing a dialog is its Cancel command.
      SendMessage(hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      return 0;
  }
  return kUnhandled;
}

}  // namespace

namespace win {

namespace detail {
const std::vector<CWindowObserver*>& Observers() { return g_observers; }
}  // namespace detail

void AddWindowObserver(CWindowObserver* pObserver) { g_observers.push_back(pObserver); }
void RemoveWindowObserver(CWindowObserver* pObserver) { std::erase(g_observers, pObserver); }

void StoreText(HWND hWnd, const CSharedText& text) {
  size_t nFrom = CWindowObserver::kReplaced;
  if (text.SharesStorageWith(hWnd->text) && text.Length() >= hWnd->text.Length()) {
    if (text.Length() == hWnd->text.Length()) return;
    nFrom = hWnd->text.Length();
  } else if (text.IsEmpty() && hWnd->text.IsEmpty()) {
    return;
  }
  hWnd->text = text;
  NotifyObservers([&](CWindowObserver& o) { o.OnTextChanged(hWnd, nFrom); });
}

void NotifyParent(HWND hCtl, WORD code) {
  if (hCtl->parent) {
    SendMessage(hCtl->parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(hCtl->id), code),
                reinterpret_cast<LPARAM>(hCtl));
  }
}

}  // namespace win

HWND CreateWindowFromParams(const CreateParams& params) {
  auto* hWnd = new WindowRec;
  hWnd->cls = params.cls;
  hWnd->style = params.style;
  hWnd->exStyle = params.exStyle;
  hWnd->id = params.id;
  hWnd->parent = params.parent;
  hWnd->dluRect = params.dluRect;
  hWnd->pixelRect = params.pixelRect;
  hWnd->proc = params.proc ? params.proc : DefWindowProc;
  hWnd->userData = params.userData;
  if (!params.text.empty()) hWnd->text.Assign(params.text);
  g_windows.insert(hWnd);
  // A pop-up's parent is its owner, which does not count it among its children.
  if (params.parent && (params.style & WS_CHILD)) params.parent->children.push_back(hWnd);
  win::NotifyObservers([&](win::CWindowObserver& o) { o.OnWindowCreated(hWnd); });
  return hWnd;
}

void DestroyWindow(HWND hWnd) {
  if (!IsWindow(hWnd)) return;
  while (!hWnd->children.empty()) DestroyWindow(hWnd->children.back());
  win::KillAllTimers(hWnd);
  win::NotifyObservers([&](win::CWindowObserver& o) { o.OnWindowDestroyed(hWnd); });
  SendMessage(hWnd, WM_NCDESTROY, 0, 0);
  if (g_hFocus == hWnd) g_hFocus = nullptr;
  if (hWnd->parent) std::erase(hWnd->parent->children, hWnd);
  g_windows.erase(hWnd);
  delete hWnd;
}

bool IsWindow(HWND hWnd) { return hWnd && g_windows.count(hWnd) != 0; }

LRESULT SendMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!IsWindow(hWnd)) return 0;
  return hWnd->proc(hWnd, message, wParam, lParam);
}

LRESULT DefWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = kUnhandled;
  if (hWnd->cls == WindowClass::ComboBox) result = ComboProc(hWnd, message, wParam, lParam);
  if (hWnd->cls == WindowClass::Dialog) result = DialogProc(hWnd, message);
  if (result != kUnhandled) return result;
  switch (message) {
    case WM_SETTEXT:
      win::StoreText(hWnd, win::CSharedText(lParam ? reinterpret_cast<const char16_t*>(lParam) : u""));
      return TRUE;
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(hWnd->text.Length());
    case WM_GETTEXT: {
      if (wParam == 0) return 0;
      auto view = hWnd->text.View();
      size_t n = std::min<size_t>(view.size(), wParam - 1);
      auto* out = reinterpret_cast<char16_t*>(lParam);
      std::copy_n(view.data(), n, out);
      out[n] = 0;
      return static_cast<LRESULT>(n);
    }
    case WM_SETICON: {
      HICON hOld = wParam == ICON_BIG ? hWnd->iconBig : hWnd->iconSmall;
      (wParam == ICON_BIG ? hWnd->iconBig : hWnd->iconSmall) = reinterpret_cast<HICON>(lParam);
      win::NotifyObservers([&](win::CWindowObserver& o) { o.OnIconChanged(hWnd); });
      return reinterpret_cast<LRESULT>(hOld);
    }
  }
  return 0;
}

WNDPROC SetWindowProc(HWND hWnd, WNDPROC proc) {
  WNDPROC old = hWnd->proc;
  hWnd->proc = proc;
  return old;
}
void* GetWindowUserData(HWND hWnd) { return IsWindow(hWnd) ? hWnd->userData : nullptr; }
void SetWindowUserData(HWND hWnd, void* data) { hWnd->userData = data; }

WindowClass GetWindowClass(HWND hWnd) { return hWnd->cls; }
DWORD GetWindowStyle(HWND hWnd) { return hWnd->style; }
DWORD GetWindowExStyle(HWND hWnd) { return hWnd->exStyle; }
int GetDlgCtrlID(HWND hWnd) { return hWnd->id; }
HWND GetParent(HWND hWnd) { return hWnd->parent; }

HWND GetDlgItem(HWND hDlg, int id) {
  if (!IsWindow(hDlg)) return nullptr;
  for (HWND h : hDlg->children)
    if (h->id == id) return h;
  return nullptr;
}

const std::vector<HWND>& GetChildren(HWND hWnd) { return hWnd->children; }

bool IsWindowVisible(HWND hWnd) {
  for (HWND h = hWnd; h; h = (h->style & WS_CHILD) ? h->parent : nullptr)
    if (!(h->style & WS_VISIBLE)) return false;
  return true;
}
bool IsWindowEnabled(HWND hWnd) { return !(hWnd->style & WS_DISABLED); }

void ShowWindow(HWND hWnd, bool bShow) {
  DWORD style = bShow ? (hWnd->style | WS_VISIBLE) : (hWnd->style & ~WS_VISIBLE);
  if (style == hWnd->style) return;
  hWnd->style = style;
  win::NotifyObservers([&](win::CWindowObserver& o) { o.OnVisibilityChanged(hWnd); });
}

void EnableWindow(HWND hWnd, bool bEnable) {
  DWORD style = bEnable ? (hWnd->style & ~WS_DISABLED) : (hWnd->style | WS_DISABLED);
  if (style == hWnd->style) return;
  hWnd->style = style;
  win::NotifyObservers([&](win::CWindowObserver& o) { o.OnEnabledChanged(hWnd); });
}

RECT GetDialogUnitRect(HWND hWnd) { return hWnd->dluRect; }
RECT GetWindowRect(HWND hWnd) { return hWnd->pixelRect; }

void MoveWindow(HWND hWnd, const RECT& rect) {
  hWnd->pixelRect = rect;
  win::NotifyObservers([&](win::CWindowObserver& o) { o.OnGeometryChanged(hWnd); });
}

SIZE GetDesktopSize() { return g_desktop; }
void SetDesktopSize(SIZE size) { g_desktop = size; }

BOOL SetWindowText(HWND hWnd, std::u16string_view text) {
  std::u16string copy(text);
  return static_cast<BOOL>(SendMessage(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(copy.c_str())));
}

void SetWindowTextShared(HWND hWnd, const win::CSharedText& text) {
  if (IsWindow(hWnd)) win::StoreText(hWnd, text);
}

int GetWindowTextLength(HWND hWnd) { return static_cast<int>(SendMessage(hWnd, WM_GETTEXTLENGTH, 0, 0)); }

int GetWindowText(HWND hWnd, char16_t* buffer, int nMaxCount) {
  return static_cast<int>(
      SendMessage(hWnd, WM_GETTEXT, static_cast<WPARAM>(nMaxCount), reinterpret_cast<LPARAM>(buffer)));
}

std::u16string GetWindowText(HWND hWnd) {
  return IsWindow(hWnd) ? std::u16string(hWnd->text.View()) : std::u16string();
}

const win::CSharedText& GetWindowTextShared(HWND hWnd) { return hWnd->text; }

HWND GetFocus() { return g_hFocus; }

HWND SetFocus(HWND hWnd) {
  HWND hOld = g_hFocus;
  if (hWnd == hOld || (hWnd && !IsWindow(hWnd))) return hOld;
  g_hFocus = hWnd;
  win::NotifyObservers([&](win::CWindowObserver& o) { o.OnFocusChanged(hOld, hWnd); });
  return hOld;
}

HICON GetWindowIcon(HWND hWnd, WPARAM kind) { return kind == ICON_BIG ? hWnd->iconBig : hWnd->iconSmall; }
