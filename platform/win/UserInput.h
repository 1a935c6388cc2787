// What a person does to the windows. The desktop view and the tests both go
// through here, so both reach the handlers by the same path. Each call
// answers false when a person could not have done it (a hidden or disabled
// control, an index that is not in the list).
#pragma once

#include <string_view>

#include "WinTypes.h"

namespace win::input {

bool Click(HWND hButton);
// Picks a list item: the field shows it and the parent hears CBN_SELCHANGE.
bool Pick(HWND hCombo, int nIndex);
// The person's typing leaves this text in an edit box or a list's field; a
// list then has no current selection.
bool Edit(HWND hField, std::u16string_view text);
bool Focus(HWND hCtl);
bool PressKey(HWND hDlg, UINT vk, bool bShift = false);
// The caption's close and OK buttons.
bool Close(HWND hDlg);
bool CaptionOk(HWND hDlg);

}  // namespace win::input
