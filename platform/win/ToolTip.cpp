#include "ToolTip.h"

#include "Window.h"
#include "WindowObserver.h"
#include "WindowRec.h"

BOOL SetWindowToolTip(HWND hWnd, std::u16string_view text) {
  if (!IsWindow(hWnd)) return FALSE;
  if (hWnd->toolTip == text) return TRUE;
  hWnd->toolTip = text;
  win::NotifyObservers([&](win::CWindowObserver& o) { o.OnToolTipChanged(hWnd); });
  return TRUE;
}

std::u16string GetWindowToolTip(HWND hWnd) { return IsWindow(hWnd) ? hWnd->toolTip : std::u16string(); }
