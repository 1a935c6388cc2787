// The colours a dialog gives itself and its labels, asked for as the
// platform asks before painting them.
#pragma once

#include <QColor>
#include <QPalette>
#include <optional>

#include "WinTypes.h"

namespace qtview {

QColor ToQColor(COLORREF color);
COLORREF ToColorRef(const QColor& color);

// WM_CTLCOLORDLG to the dialog; nothing when it keeps the defaults.
std::optional<CTLCOLORS> DialogColors(HWND hDlg, const QPalette& defaults);
// WM_CTLCOLORSTATIC to the control's dialog, for labels and group boxes.
std::optional<CTLCOLORS> StaticColors(HWND hCtl, const QPalette& defaults);

}  // namespace qtview
