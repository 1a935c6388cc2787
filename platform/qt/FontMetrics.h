// The dialog font on the desktop and the dialog base units it gives.
#pragma once

#include <QFont>
#include <string_view>

#include "WinTypes.h"

namespace qtview {

// "System" and the platform's other dialog fonts are the application's font,
// the one the desktop's theme gives; any other name is looked up as it is.
QFont DialogFont(std::u16string_view fontName, int nPointSize);
// As the platform computes them: the average width of the 52 letters A-Z and
// a-z, rounded, and the font's height.
SIZE BaseUnits(const QFont& font);

}  // namespace qtview
