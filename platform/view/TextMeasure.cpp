#include "TextMeasure.h"

#include <cmath>

namespace view {

double CColumnMeasure::Advance(char32_t c, double fX) const {
  constexpr double kTabColumns = 8;
  if (c == U'\t') return (std::floor(fX / kTabColumns) + 1) * kTabColumns - fX;
  return 1;
}

}  // namespace view
