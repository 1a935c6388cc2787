// A window's text: stored once as shared text, set through WM_SETTEXT or as a
// view of shared storage, and read through GetWindowTextShared alone. And
// the rest every window does: a child passes a menu request it leaves
// unanswered on to its parent.
#include <algorithm>

#include "Clock.h"
#include "Window.h"
#include "WindowObserver.h"
#include "WindowRec.h"

namespace win::detail {

void StoreText(HWND hWnd, const CSharedText& text) {
  size_t nFrom = CWindowObserver::kReplaced;
  if (text.SharesStorageWith(hWnd->text) && text.Length() >= hWnd->text.Length()) {
    if (text.Length() == hWnd->text.Length()) return;
    nFrom = hWnd->text.Length();
  } else if (text.IsEmpty() && hWnd->text.IsEmpty()) {
    return;
  }
  hWnd->text = text;
  // Text set anew shows from its start, and came all at once; an append
  // keeps the selection.
  if (nFrom == CWindowObserver::kReplaced) {
    hWnd->times.Reset(GetClock().WallMs());
    hWnd->sel = {};
    hWnd->fGoalX = 0;
  } else {
    hWnd->times.Append(nFrom, GetClock().WallMs());
  }
  NotifyObservers([&](CWindowObserver& o) { o.OnTextChanged(hWnd, nFrom); });
}

LRESULT BaseWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETTEXT:
      StoreText(hWnd, CSharedText(lParam ? reinterpret_cast<const char16_t*>(lParam) : u""));
      return TRUE;
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(GetWindowTextShared(hWnd).Length());
    case WM_GETTEXT: {
      if (wParam == 0) return 0;
      const CTextRange text = GetWindowTextShared(hWnd).View();
      size_t n = std::min<size_t>(text.size(), wParam - 1);
      auto* out = reinterpret_cast<char16_t*>(lParam);
      text.substr(0, n).ForEachPiece([&](const STextPiece& piece) {
        for (size_t i = 0; i < piece.nCount; ++i) out[piece.nPos + i] = UnitOf(piece, i);
        return true;
      });
      out[n] = 0;
      return static_cast<LRESULT>(n);
    }
    case WM_CONTEXTMENU:
      if (hWnd->style & WS_CHILD) SendMessage(hWnd->parent, WM_CONTEXTMENU, wParam, lParam);
      return 0;
  }
  return 0;
}

}  // namespace win::detail

BOOL SetWindowText(HWND hWnd, std::u16string_view text) {
  std::u16string copy(text);
  return static_cast<BOOL>(SendMessage(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(copy.c_str())));
}

void SetWindowTextShared(HWND hWnd, const win::CSharedText& text) {
  if (IsWindow(hWnd)) win::detail::StoreText(hWnd, text);
}

int GetWindowTextLength(HWND hWnd) { return static_cast<int>(SendMessage(hWnd, WM_GETTEXTLENGTH, 0, 0)); }

int GetWindowText(HWND hWnd, char16_t* buffer, int nMaxCount) {
  if (nMaxCount <= 0) return 0;
  return static_cast<int>(
      SendMessage(hWnd, WM_GETTEXT, static_cast<WPARAM>(nMaxCount), reinterpret_cast<LPARAM>(buffer)));
}

std::u16string GetWindowText(HWND hWnd) { return GetWindowTextShared(hWnd).View().ToString(); }

const win::CAppendTimes& win::GetTextTimes(HWND hWnd) {
  static const CAppendTimes kNoTimes;
  return IsWindow(hWnd) ? hWnd->times : kNoTimes;
}

const win::CSharedText& GetWindowTextShared(HWND hWnd) {
  static const win::CSharedText kNoText;
  return IsWindow(hWnd) ? hWnd->text : kNoText;
}
