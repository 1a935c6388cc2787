// The button: a click takes the focus and tells the parent. A group box is
// a button by class but only a frame with a caption; it cannot be clicked.
#include "Window.h"
#include "WindowRec.h"

namespace win::detail {

LRESULT ButtonProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETDLGCODE:
      if ((hWnd->style & BS_TYPEMASK) == BS_GROUPBOX) return DLGC_STATIC;
      return DLGC_BUTTON |
             ((hWnd->style & BS_TYPEMASK) == BS_DEFPUSHBUTTON ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
    case BM_CLICK:
      if ((hWnd->style & BS_TYPEMASK) == BS_GROUPBOX) return FALSE;
      SetFocus(hWnd);
      NotifyParent(hWnd, BN_CLICKED);
      return TRUE;
  }
  return BaseWindowProc(hWnd, message, wParam, lParam);
}

}  // namespace win::detail
