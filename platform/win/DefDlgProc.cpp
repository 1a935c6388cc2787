// The default dialog procedure: what a dialog does with the messages its
// own procedure leaves to it.
#include "Window.h"
#include "WindowObserver.h"
#include "WindowRec.h"

namespace win::detail {

LRESULT DefDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      // Let the dialog manager set the focus.
      return TRUE;
    case WM_CLOSE:
      // Closing a dialog is its Cancel command.
      SendMessage(hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      return 0;
    case WM_SETICON: {
      HICON& rIcon = wParam == ICON_BIG ? hWnd->iconBig : hWnd->iconSmall;
      HICON hOld = rIcon;
      rIcon = reinterpret_cast<HICON>(lParam);
      NotifyObservers([&](CWindowObserver& o) { o.OnIconChanged(hWnd); });
      return reinterpret_cast<LRESULT>(hOld);
    }
  }
  return BaseWindowProc(hWnd, message, wParam, lParam);
}

}  // namespace win::detail
