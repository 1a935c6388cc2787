// A window's tooltip: the text a view shows while the pointer rests on the window.
#pragma once

#include <string>
#include <string_view>

#include "WinTypes.h"

// Sets the tooltip (empty: none) and tells the observers; FALSE on a bad handle.
BOOL SetWindowToolTip(HWND hWnd, std::u16string_view text);
// Empty on a bad handle or without one.
std::u16string GetWindowToolTip(HWND hWnd);
