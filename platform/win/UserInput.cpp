#include "UserInput.h"

#include <algorithm>

#include "Dialog.h"
#include "Window.h"
#include "WindowRec.h"

namespace win::input {

namespace {
UINT g_nHeld = 0;

// The keys held while the message is handled.
LRESULT SendHeld(HWND hCtl, UINT nModifiers, UINT message, WPARAM wParam, LPARAM lParam) {
  UINT nSaved = g_nHeld;
  g_nHeld = nModifiers;
  LRESULT result = SendMessage(hCtl, message, wParam, lParam);
  g_nHeld = nSaved;
  return result;
}

// Shown and enabled, in a window that is enabled itself: a modal box's owner
// takes nothing.
bool Reachable(HWND h) {
  if (!IsWindow(h) || !IsWindowVisible(h)) return false;
  for (; h; h = (GetWindowStyle(h) & WS_CHILD) ? GetParent(h) : nullptr)
    if (!IsWindowEnabled(h)) return false;
  return true;
}
}  // namespace

bool Click(HWND hButton) { return Reachable(hButton) && SendMessage(hButton, BM_CLICK, 0, 0) == TRUE; }

bool Pick(HWND hCombo, int nIndex) {
  return Reachable(hCombo) && nIndex >= 0 && SendMessage(hCombo, CB_INPUTPICK, static_cast<WPARAM>(nIndex), 0) == TRUE;
}

bool Edit(HWND hField, std::u16string_view text) {
  const CSharedText edited(text);
  return Reachable(hField) && SendMessage(hField, WM_INPUTTEXT, 0, reinterpret_cast<LPARAM>(&edited)) == TRUE;
}

bool Paste(HWND hField, std::u16string_view text) {
  return Reachable(hField) &&
         SendMessage(hField, WM_INPUTPASTE, text.size(), reinterpret_cast<LPARAM>(text.data())) == TRUE;
}

bool Focus(HWND hCtl) {
  if (!Reachable(hCtl)) return false;
  SetFocus(hCtl);
  return true;
}

bool Key(HWND hCtl, UINT vk, UINT nModifiers) {
  if (!Reachable(hCtl)) return false;
  SendHeld(hCtl, nModifiers, WM_KEYDOWN, vk, 0);
  return true;
}

bool Char(HWND hCtl, char32_t c) {
  if (!Reachable(hCtl)) return false;
  SendMessage(hCtl, WM_CHAR, c, 0);
  return true;
}

bool Mouse(HWND hCtl, UINT message, int x, int y, UINT nModifiers) {
  if (!Reachable(hCtl)) return false;
  WPARAM keys = ((nModifiers & kShift) ? MK_SHIFT : 0) | ((nModifiers & kCtrl) ? MK_CONTROL : 0);
  auto clamp = [](int n) { return static_cast<WORD>(static_cast<int16_t>(std::clamp(n, -32768, 32767))); };
  SendHeld(hCtl, nModifiers, message, keys, MAKELPARAM(clamp(x), clamp(y)));
  return true;
}

bool PressKey(HWND hDlg, UINT vk, UINT nModifiers) { return Reachable(hDlg) && IsDialogMessage(hDlg, vk, nModifiers); }

bool Type(HWND hDlg, char32_t c) { return Reachable(hDlg) && IsDialogChar(hDlg, c); }

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

bool ContextMenu(HWND hCtl, POINT pt) {
  if (!Reachable(hCtl)) return false;
  SendMessage(hCtl, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hCtl),
              MAKELPARAM(static_cast<WORD>(pt.x), static_cast<WORD>(pt.y)));
  return true;
}

bool MenuKey(UINT vk) { return detail::MenuKey(vk); }
bool MenuChar(char32_t ch) { return detail::MenuChar(ch); }
bool MenuHover(int nPos) { return detail::MenuHover(nPos); }
bool MenuClick(int nPos) { return detail::MenuClick(nPos); }

}  // namespace win::input

short GetKeyState(int nVirtKey) {
  using namespace win::input;
  UINT nHeld = win::input::g_nHeld;
  bool bDown = (nVirtKey == VK_SHIFT && (nHeld & kShift)) || (nVirtKey == VK_CONTROL && (nHeld & kCtrl)) ||
               (nVirtKey == VK_MENU && (nHeld & kAlt));
  return bDown ? static_cast<short>(0x8000) : 0;
}
