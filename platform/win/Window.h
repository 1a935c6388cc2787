// Windows: creation, the message call, default handling, text, styles,
// geometry, visibility, focus and icons. Every function takes any handle:
// for one that is not a window it does nothing and answers as the platform
// does (0, FALSE, null, an empty rectangle, list or text).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "SharedText.h"
#include "WinTypes.h"

struct CreateParams {
  WindowClass cls = WindowClass::Static;
  DWORD style = 0;
  DWORD exStyle = 0;
  int id = 0;
  std::u16string_view text{};
  HWND parent = nullptr;
  RECT dluRect{};          // position and size in dialog units, for controls of a dialog
  RECT pixelRect{};        // position and size in pixels, relative to the parent
  WNDPROC proc = nullptr;  // window procedure; the class's default when null
  void* userData = nullptr;
};

// Null for no class or a parent that is not a window.
HWND CreateWindowFromParams(const CreateParams& params);
BOOL DestroyWindow(HWND hWnd);
bool IsWindow(HWND hWnd);

LRESULT SendMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
// The handling of the window's class: what its class procedure does.
LRESULT DefWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
// Replaces the window procedure and answers the previous one.
WNDPROC SetWindowProc(HWND hWnd, WNDPROC proc);
void* GetWindowUserData(HWND hWnd);
void SetWindowUserData(HWND hWnd, void* data);

WindowClass GetWindowClass(HWND hWnd);
DWORD GetWindowStyle(HWND hWnd);
DWORD GetWindowExStyle(HWND hWnd);
int GetDlgCtrlID(HWND hWnd);
// A child's parent, or a pop-up's owner.
HWND GetParent(HWND hWnd);
HWND GetDlgItem(HWND hDlg, int id);
const std::vector<HWND>& GetChildren(HWND hWnd);

bool IsWindowVisible(HWND hWnd);
bool IsWindowEnabled(HWND hWnd);
void ShowWindow(HWND hWnd, bool bShow);
void EnableWindow(HWND hWnd, bool bEnable);

RECT GetDialogUnitRect(HWND hWnd);
RECT GetWindowRect(HWND hWnd);  // pixels, relative to the parent (the desktop for a dialog)
BOOL MoveWindow(HWND hWnd, const RECT& rect);
SIZE GetDesktopSize();
void SetDesktopSize(SIZE size);

BOOL SetWindowText(HWND hWnd, std::u16string_view text);
// Sets the text to a view of shared storage. When the window's text was a
// shorter view of the same storage, the change is an append, which costs
// nothing in proportion to the old text and reaches observers as one.
void SetWindowTextShared(HWND hWnd, const win::CSharedText& text);
int GetWindowTextLength(HWND hWnd);
int GetWindowText(HWND hWnd, char16_t* buffer, int nMaxCount);
std::u16string GetWindowText(HWND hWnd);
// The stored text; every read of a window's text comes here.
const win::CSharedText& GetWindowTextShared(HWND hWnd);
// An item of a combo box's list; empty for an index outside it or a window that is no combo box.
std::u16string GetComboItemText(HWND hWnd, int nIndex);

HWND GetFocus();
HWND SetFocus(HWND hWnd);

HICON GetWindowIcon(HWND hWnd, WPARAM kind);
