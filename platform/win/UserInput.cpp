#include "UserInput.h"

#include "Dialog.h"
#include "Window.h"

namespace win::input {

namespace {
bool Reachable(HWND h) { return IsWindowVisible(h) && IsWindowEnabled(h); }
}  // namespace

bool Click(HWND hButton) { return Reachable(hButton) && SendMessage(hButton, BM_CLICK, 0, 0) == TRUE; }

bool Pick(HWND hCombo, int nIndex) {
  return Reachable(hCombo) && nIndex >= 0 && SendMessage(hCombo, CB_INPUTPICK, static_cast<WPARAM>(nIndex), 0) == TRUE;
}

bool Edit(HWND hField, std::u16string_view text) {
  return Reachable(hField) &&
         SendMessage(hField, WM_INPUTTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())) == TRUE;
}

bool Focus(HWND hCtl) {
  if (!Reachable(hCtl)) return false;
  SetFocus(hCtl);
  return true;
}

bool Key(HWND hCtl, UINT vk) {
  if (!Reachable(hCtl)) return false;
  SendMessage(hCtl, WM_KEYDOWN, vk, 0);
  return true;
}

bool PressKey(HWND hDlg, UINT vk, bool bShift) { return IsWindow(hDlg) && IsDialogMessage(hDlg, vk, bShift); }

void Close(HWND hDlg) { SendMessage(hDlg, WM_CLOSE, 0, 0); }

void CaptionOk(HWND hDlg) { SendMessage(hDlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }

}  // namespace win::input
