#include "UserInput.h"

#include "Dialog.h"
#include "Window.h"
#include "WindowObserver.h"
#include "WindowRec.h"

namespace win::input {

namespace {
// Shown and enabled, in a window that is enabled itself: a modal box's owner
// takes nothing.
bool Reachable(HWND h) {
  if (!IsWindow(h) || !IsWindowVisible(h)) return false;
  for (; h; h = (GetWindowStyle(h) & WS_CHILD) ? GetParent(h) : nullptr)
    if (!IsWindowEnabled(h)) return false;
  return true;
}
}  // namespace

bool Click(HWND hButton) {
  if (!Reachable(hButton) || GetWindowClass(hButton) != WindowClass::Button) return false;
  if ((GetWindowStyle(hButton) & BS_TYPEMASK) == BS_GROUPBOX) return false;
  SetFocus(hButton);
  NotifyParent(hButton, BN_CLICKED);
  return true;
}

bool Pick(HWND hCombo, int nIndex) {
  if (!Reachable(hCombo) || GetWindowClass(hCombo) != WindowClass::ComboBox) return false;
  if (nIndex < 0 || nIndex >= SendMessage(hCombo, CB_GETCOUNT, 0, 0)) return false;
  SendMessage(hCombo, CB_SETCURSEL, static_cast<WPARAM>(nIndex), 0);
  NotifyParent(hCombo, CBN_SELCHANGE);
  return true;
}

bool Edit(HWND hField, std::u16string_view text) {
  if (!Reachable(hField)) return false;
  WindowClass cls = GetWindowClass(hField);
  if (cls != WindowClass::Edit && cls != WindowClass::ComboBox) return false;
  if (cls == WindowClass::ComboBox && hField->curSel != -1) {
    hField->curSel = -1;
    NotifyObservers([&](CWindowObserver& o) { o.OnSelectionChanged(hField); });
  }
  StoreText(hField, CSharedText(text));
  NotifyParent(hField, cls == WindowClass::ComboBox ? CBN_EDITCHANGE : EN_CHANGE);
  return true;
}

bool Focus(HWND hCtl) {
  if (!Reachable(hCtl)) return false;
  SetFocus(hCtl);
  return true;
}

bool PressKey(HWND hDlg, UINT vk, bool bShift) { return Reachable(hDlg) && IsDialogMessage(hDlg, vk, bShift); }

bool Close(HWND hDlg) {
  if (!Reachable(hDlg)) return false;
  SendMessage(hDlg, WM_CLOSE, 0, 0);
  return true;
}

bool CaptionOk(HWND hDlg) {
  if (!Reachable(hDlg)) return false;
  SendMessage(hDlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  return true;
}

}  // namespace win::input
