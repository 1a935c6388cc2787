// The message box: a question or notice in a modal window of its own, built
// from windows like any dialog, so every view shows it as it shows windows.
//
// The box is a dialog-class window owned by hOwner, with the caption as its
// text. Its children, in tab order: a static with the text (id -1), then one
// push button per answer, with the answer as its id (MB_OK: "OK" IDOK;
// MB_OKCANCEL: "OK" IDOK, "Cancel" IDCANCEL; MB_YESNO: "&Yes" IDYES, "&No"
// IDNO). The default button (the first, or the second with MB_DEFBUTTON2) has
// BS_DEFPUSHBUTTON and the focus. Clicking a button, Enter on it, or its
// mnemonic (Y, N, with Alt or without) gives its answer; Escape or closing
// the box gives Cancel, No in a Yes/No box, or OK in a box with OK alone. The owner is disabled while the box is up,
// and its timers go on.
#pragma once

#include <string_view>

#include "WinTypes.h"

int MessageBox(HWND hOwner, std::u16string_view text, std::u16string_view caption, UINT type);
