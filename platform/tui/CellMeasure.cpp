#include "CellMeasure.h"

#include "CellText.h"

namespace tui {

double CCellMeasure::Advance(char32_t c, double) const { return CellWidth(ShownChar(c)); }

}  // namespace tui
