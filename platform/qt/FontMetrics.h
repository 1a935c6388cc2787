// The dialog font on the desktop, the dialog base units it gives, and the
// font a text a little too wide for its control is shown in.
#pragma once

#include <QFont>
#include <QString>
#include <string_view>

#include "WinTypes.h"

namespace qtview {

// "System" and the platform's other dialog fonts are the application's font,
// the one the desktop's theme gives; any other name is looked up as it is.
QFont DialogFont(std::u16string_view fontName, int nPointSize);
// As the platform computes them: the average width of the 52 letters A-Z and
// a-z, rounded, and the font's height.
SIZE BaseUnits(const QFont& font);
// The font, or the first a quarter point smaller at a time, down to a point
// less, that shows the text on one line in fWidth pixels; the font itself
// when none does or the text has several lines.
QFont FittingFont(const QFont& font, const QString& text, double fWidth);

}  // namespace qtview
