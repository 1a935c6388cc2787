// The record behind a window handle and the parts of the window system that
// its files share: the stored text, notifications to the parent and the
// class procedures.
#pragma once

#include <string>
#include <vector>

#include "EditBox.h"
#include "SharedText.h"
#include "WinTypes.h"

struct WindowRec {
  WindowClass cls = WindowClass::Static;
  DWORD style = 0;
  DWORD exStyle = 0;
  int id = 0;
  HWND parent = nullptr;
  std::vector<HWND> children;
  RECT dluRect;
  RECT pixelRect;
  WNDPROC proc = nullptr;
  void* userData = nullptr;
  win::CSharedText text;
  win::CAppendTimes times;
  std::u16string toolTip;

  // Edit box, and a combo box's field: where up and down aim, and whether
  // the mouse button went down in it.
  win::CTextSelection sel;
  double fGoalX = 0;
  win::CEditRows* pRows = nullptr;
  win::SEditForm form;
  bool bMouseDown = false;
  std::u16string tag;  // an edit box's EM_SETTAG

  // Combo box.
  std::vector<std::u16string> items;
  int curSel = -1;

  // Dialog.
  HICON iconBig = nullptr;
  HICON iconSmall = nullptr;
  bool bEnded = false;
  int nResult = 0;
};

namespace win::detail {

// Stores a window's new text and tells the observers.
void StoreText(HWND hWnd, const CSharedText& text);
// Sends WM_COMMAND with a notification code from a control to its parent.
void NotifyParent(HWND hCtl, WORD code);

// The class procedures. Each handles its class's messages and leaves the
// rest to the handling every window has.
LRESULT ButtonProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT ComboBoxProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT DefDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT EditProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
// The editing rules of an edit box and of a combo box's field: the caret,
// the selection, the editing keys, the mouse and the clipboard. True when
// the message is one of them, with its answer in *pResult.
bool EditFieldProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
LRESULT StaticProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
// What every window does with a message: its text, and a child's menu
// request, which goes on to its parent.
LRESULT BaseWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the modal host's menu loop until hMenu is done.
void RunMenuLoop(HMENU hMenu);
// A person's action on the open menu; false when no menu is open.
bool MenuKey(UINT vk);
bool MenuChar(char32_t ch);
bool MenuHover(int nPos);
bool MenuClick(int nPos);

}  // namespace win::detail
