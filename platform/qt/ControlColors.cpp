#include "ControlColors.h"

#include "Window.h"

namespace qtview {

namespace {

std::optional<CTLCOLORS> Ask(HWND hDlg, UINT message, HWND hCtl, const QPalette& defaults) {
  CTLCOLORS colors{ToColorRef(defaults.color(QPalette::Window)), ToColorRef(defaults.color(QPalette::WindowText))};
  if (!SendMessage(hDlg, message, reinterpret_cast<WPARAM>(&colors), reinterpret_cast<LPARAM>(hCtl)))
    return std::nullopt;
  return colors;
}

}  // namespace

QColor ToQColor(COLORREF color) { return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF); }

COLORREF ToColorRef(const QColor& color) {
  return RGB(static_cast<unsigned>(color.red()), static_cast<unsigned>(color.green()),
             static_cast<unsigned>(color.blue()));
}

std::optional<CTLCOLORS> DialogColors(HWND hDlg, const QPalette& defaults) {
  return Ask(hDlg, WM_CTLCOLORDLG, hDlg, defaults);
}

std::optional<CTLCOLORS> StaticColors(HWND hCtl, const QPalette& defaults) {
  HWND hDlg = GetParent(hCtl);
  if (!hDlg) return std::nullopt;
  return Ask(hDlg, WM_CTLCOLORSTATIC, hCtl, defaults);
}

}  // namespace qtview
