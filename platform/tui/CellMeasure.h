// Cells as the text view draws characters: pictures for control characters.
#pragma once

#include "TextMeasure.h"

namespace tui {

class CCellMeasure final : public view::CTextMeasure {
 public:
  double Advance(char32_t c, double fX) const override;
};

}  // namespace tui
