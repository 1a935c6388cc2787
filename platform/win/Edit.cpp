// The edit box: its text, its editing rules, a person's typing, which a
// read-only box does not take, and its menu.
#include "Clipboard.h"
#include "Menu.h"
#include "Window.h"
#include "WindowRec.h"

namespace win::detail {

namespace {

// The edit box's menu. Its commands are the edit messages that do them;
// an item is grayed when its command would do nothing.
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
  auto nCommand = static_cast<UINT>(TrackPopupMenu(hMenu, TPM_RETURNCMD, x, y, 0, hWnd, nullptr));
  DestroyMenu(hMenu);
  if (nCommand == EM_SETSEL)
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
    case WM_CONTEXTMENU:
      SetFocus(hWnd);
      TrackEditMenu(hWnd, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
  }
  return BaseWindowProc(hWnd, message, wParam, lParam);
}

}  // namespace win::detail
