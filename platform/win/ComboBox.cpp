// The combo box: a drop-down list with an editable field. Every rule of the
// class lives here: the list, its selection, the field that shows it, and
// what a person's pick or typing does to both.
//
// The field shows the selected item. Setting the selection by code is silent
// and an index out of range clears the selection and the field. A person's
// pick, or Up and Down on the list, selects, shows the item and notifies
// CBN_SELCHANGE. A person's typing
// leaves the typed text in the field and the list with no selection, even
// when the text matches an item, and notifies CBN_EDITCHANGE.
#include <algorithm>
#include <string>

#include "Window.h"
#include "WindowObserver.h"
#include "WindowRec.h"

namespace win::detail {

namespace {

void SetSelection(HWND hWnd, int nIndex) {
  if (hWnd->curSel == nIndex) return;
  hWnd->curSel = nIndex;
  NotifyObservers([&](CWindowObserver& o) { o.OnSelectionChanged(hWnd); });
}

// Selects an item, or nothing for -1, and shows it in the field.
void Select(HWND hWnd, int nIndex) {
  hWnd->curSel = nIndex;
  StoreText(hWnd, CSharedText(nIndex >= 0 ? std::u16string_view(hWnd->items[nIndex]) : std::u16string_view()));
  NotifyObservers([&](CWindowObserver& o) { o.OnSelectionChanged(hWnd); });
}

bool InRange(HWND hWnd, WPARAM nIndex) { return nIndex < hWnd->items.size(); }

}  // namespace

LRESULT ComboBoxProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto& items = hWnd->items;
  // The field is edited by the edit box's rules, but for Up and Down.
  if (LRESULT result = 0; !(message == WM_KEYDOWN && (wParam == VK_UP || wParam == VK_DOWN)) &&
                          EditFieldProc(hWnd, message, wParam, lParam, &result))
    return result;
  switch (message) {
    case CB_ADDSTRING:
      if (!lParam) return CB_ERR;
      items.emplace_back(reinterpret_cast<const char16_t*>(lParam));
      NotifyObservers([&](CWindowObserver& o) { o.OnItemsChanged(hWnd); });
      return static_cast<LRESULT>(items.size() - 1);
    case WM_GETDLGCODE:
      return DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL;
    case CB_GETCOUNT:
      return static_cast<LRESULT>(items.size());
    case CB_GETCURSEL:
      return hWnd->curSel;
    case CB_SETCURSEL:
      if (!InRange(hWnd, wParam)) {
        Select(hWnd, -1);
        return CB_ERR;
      }
      Select(hWnd, static_cast<int>(wParam));
      return static_cast<LRESULT>(wParam);
    case CB_GETLBTEXTLEN:
    case CB_GETLBTEXT: {
      if (!InRange(hWnd, wParam)) return CB_ERR;
      const auto& item = items[wParam];
      if (message == CB_GETLBTEXT) {
        auto* out = reinterpret_cast<char16_t*>(lParam);
        if (!out) return CB_ERR;
        std::copy(item.begin(), item.end(), out);
        out[item.size()] = 0;
      }
      return static_cast<LRESULT>(item.size());
    }
    case CB_INPUTPICK:
      if (!InRange(hWnd, wParam)) return FALSE;
      Select(hWnd, static_cast<int>(wParam));
      NotifyParent(hWnd, CBN_SELCHANGE);
      return TRUE;
    case WM_KEYDOWN: {
      // Up and Down pick the item before or after the selected one; with
      // none selected, the first.
      int nNext = hWnd->curSel < 0 ? 0 : hWnd->curSel + (wParam == VK_UP ? -1 : 1);
      if (nNext != hWnd->curSel && nNext >= 0 && InRange(hWnd, static_cast<WPARAM>(nNext))) {
        Select(hWnd, nNext);
        NotifyParent(hWnd, CBN_SELCHANGE);
      }
      return 0;
    }
    case WM_INPUTTEXT:
      // The text first, so a view that sees the selection go finds the
      // field already holding what was typed.
      StoreText(hWnd, *reinterpret_cast<const CSharedText*>(lParam));
      SetSelection(hWnd, -1);
      NotifyParent(hWnd, CBN_EDITCHANGE);
      return TRUE;
  }
  return BaseWindowProc(hWnd, message, wParam, lParam);
}

}  // namespace win::detail

std::u16string GetComboItemText(HWND hWnd, int nIndex) {
  const LRESULT nLength = SendMessage(hWnd, CB_GETLBTEXTLEN, static_cast<WPARAM>(nIndex), 0);
  if (nLength <= 0) return {};
  std::u16string text(static_cast<size_t>(nLength), u'\0');
  SendMessage(hWnd, CB_GETLBTEXT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(text.data()));
  return text;
}
