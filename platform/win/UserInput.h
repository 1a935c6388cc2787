// What a person does to the windows. The views and the tests all go through
// here, so all reach the handlers by the same path. Each call answers false
// when a person could not have done it (a hidden or disabled control, a
// control of another class, an index that is not in the list).
//
// A call only hands the person's action to the window as a message; the
// window's class procedure decides what it does. What the views then show
// reaches them through the observers.
#pragma once

#include <string_view>

#include "WinTypes.h"

namespace win::input {

// BM_CLICK: a button takes the focus and the parent hears BN_CLICKED.
bool Click(HWND hButton);
// CB_INPUTPICK: the list's field shows the item and the parent hears
// CBN_SELCHANGE.
bool Pick(HWND hCombo, int nIndex);
// WM_INPUTTEXT: the person's typing leaves this text in an edit box (the
// parent hears EN_CHANGE) or a list's field (the list then has no selection
// and the parent hears CBN_EDITCHANGE).
bool Edit(HWND hField, std::u16string_view text);
// WM_INPUTPASTE: text pasted into an edit box or a list's field, as the
// clipboard's text is: a field of one line takes its first line.
bool Paste(HWND hField, std::u16string_view text);
bool Focus(HWND hCtl);
// The keys held with a key or a click.
constexpr UINT kShift = 1;
constexpr UINT kCtrl = 2;
constexpr UINT kAlt = 4;

// WM_KEYDOWN: a key pressed on a control, for its class procedure, which
// asks GetKeyState for the keys held with it.
bool Key(HWND hCtl, UINT vk, UINT nModifiers = 0);
// WM_CHAR: a character typed on a control.
bool Char(HWND hCtl, char32_t c);
// WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_LBUTTONUP or WM_LBUTTONDBLCLK at a point
// of the control (for an edit box, as its rows count it).
bool Mouse(HWND hCtl, UINT message, int x, int y, UINT nModifiers = 0);
// A key pressed, or a character typed, in a dialog: the dialog manager
// hands it to the focused control or moves the focus, clicks or cancels.
// False when no one took it.
bool PressKey(HWND hDlg, UINT vk, UINT nModifiers = 0);
bool Type(HWND hDlg, char32_t c);
// The caption's close and OK buttons.
bool Close(HWND hDlg);
bool CaptionOk(HWND hDlg);

// WM_CONTEXTMENU: a right click, the Menu key or Shift+F10 on a control asks
// for its menu at pt, in the view's own screen coordinates, where the view
// then draws the menu. Returns once the menu the window opens has closed.
bool ContextMenu(HWND hCtl, POINT pt);
// The open menu (see Menu.h for what each does); each answers false when no
// menu is open. A key: VK_UP, VK_DOWN, VK_RETURN or VK_ESCAPE.
bool MenuKey(UINT vk);
// A typed letter, for the mnemonics.
bool MenuChar(char32_t ch);
// The pointer over the item at nPos, or -1 off the items.
bool MenuHover(int nPos);
// A click on the item at nPos, or -1 outside the menu.
bool MenuClick(int nPos);

}  // namespace win::input

// Negative while the key (VK_SHIFT, VK_CONTROL, VK_MENU) is held with the
// key or click being handed over.
short GetKeyState(int nVirtKey);
