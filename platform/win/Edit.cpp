// The edit box: its text, its editing rules, a person's typing, which a
// read-only box does not take, and its menu.
#include "Clipboard.h"
#include "Menu.h"
#include "Window.h"
#include "WindowObserver.h"
#include "WindowRec.h"

namespace win::detail {

namespace {

// A record box's forms: text or hex, and the times beside either. The ids
// lie above those a dialog gives its own items.
constexpr UINT kShowText = 0xF101, kShowHex = 0xF102, kShowTimes = 0xF103;

void AppendFormItems(HMENU hMenu, SEditForm form) {
  AppendMenu(hMenu, MF_SEPARATOR, 0);
  AppendMenu(hMenu, MF_STRING, kShowText, u"Show Te&xt");
  AppendMenu(hMenu, MF_STRING, kShowHex, u"Show &Hex");
  CheckMenuRadioItem(hMenu, kShowText, kShowHex, form.bHex ? kShowHex : kShowText, MF_BYCOMMAND);
  AppendMenu(hMenu, MF_STRING | (form.bTimes ? MF_CHECKED : 0), kShowTimes, u"Show Ti&mes");
}

bool PickForm(HWND hWnd, UINT nCommand) {
  SEditForm form = GetEditForm(hWnd);
  if (nCommand == kShowText || nCommand == kShowHex)
    form.bHex = nCommand == kShowHex;
  else if (nCommand == kShowTimes)
    form.bTimes = !form.bTimes;
  else
    return false;
  SetEditForm(hWnd, form);
  return true;
}

// The edit box's menu. Its commands are the edit messages that do them, or
// a record box's form; an item is grayed when its command would do nothing.
// The parent may add items of its own, whose commands go to it.
void TrackEditMenu(HWND hWnd, int x, int y) {
  DWORD nStart = 0, nEnd = 0;
  SendMessage(hWnd, EM_GETSEL, reinterpret_cast<WPARAM>(&nStart), reinterpret_cast<LPARAM>(&nEnd));
  const bool bSelected = nStart != nEnd, bWritable = !(hWnd->style & ES_READONLY);
  auto item = [](bool bEnabled) { return MF_STRING | (bEnabled ? MF_ENABLED : MF_GRAYED); };
  HMENU hMenu = CreatePopupMenu();
  AppendMenu(hMenu, item(bSelected && bWritable), WM_CUT, u"Cu&t");
  AppendMenu(hMenu, item(bSelected), WM_COPY, u"&Copy");
  AppendMenu(hMenu, item(bWritable && !GetClipboardText().empty()), WM_PASTE, u"&Paste");
  AppendMenu(hMenu, item(bSelected && bWritable), WM_CLEAR, u"&Delete");
  AppendMenu(hMenu, MF_SEPARATOR, 0);
  AppendMenu(hMenu, item(!hWnd->text.IsEmpty()), EM_SETSEL, u"Select &All");
  if (hWnd->style & ES_MULTILINE) AppendFormItems(hMenu, hWnd->form);
  SendMessage(hWnd->parent, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hMenu), reinterpret_cast<LPARAM>(hWnd));
  auto nCommand = static_cast<UINT>(TrackPopupMenu(hMenu, TPM_RETURNCMD, x, y, 0, hWnd, nullptr));
  DestroyMenu(hMenu);
  if (PickForm(hWnd, nCommand)) return;
  if (nCommand >= WM_USER)
    SendMessage(hWnd->parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(nCommand), 0), 0);
  else if (nCommand == EM_SETSEL)
    SendMessage(hWnd, EM_SETSEL, 0, -1);
  else if (nCommand != 0)
    SendMessage(hWnd, nCommand, 0, 0);
}

}  // namespace

LRESULT EditProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (LRESULT result = 0; EditFieldProc(hWnd, message, wParam, lParam, &result)) return result;
  switch (message) {
    case WM_GETDLGCODE: {
      // A record box is not selected whole when Tab reaches it; one that
      // wants Enter takes every key.
      LRESULT code = DLGC_WANTCHARS | DLGC_WANTARROWS;
      if (!(hWnd->style & ES_MULTILINE)) code |= DLGC_HASSETSEL;
      if ((hWnd->style & ES_MULTILINE) && (hWnd->style & ES_WANTRETURN)) code |= DLGC_WANTALLKEYS;
      return code;
    }
    case WM_INPUTTEXT:
      if (hWnd->style & ES_READONLY) return FALSE;
      StoreText(hWnd, *reinterpret_cast<const CSharedText*>(lParam));
      NotifyParent(hWnd, EN_CHANGE);
      return TRUE;
    case EM_SETTAG: {
      std::u16string_view tag(reinterpret_cast<const char16_t*>(lParam), wParam);
      if (hWnd->tag != tag) {
        hWnd->tag = tag;
        NotifyObservers([&](CWindowObserver& o) { o.OnTagChanged(hWnd); });
      }
      return TRUE;
    }
    case WM_CONTEXTMENU:
      SetFocus(hWnd);
      TrackEditMenu(hWnd, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
  }
  return BaseWindowProc(hWnd, message, wParam, lParam);
}

}  // namespace win::detail

std::u16string win::GetEditTag(HWND hEdit) {
  return GetWindowClass(hEdit) == WindowClass::Edit ? hEdit->tag : std::u16string();
}
