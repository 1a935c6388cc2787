// How wide a view draws characters: a grid's columns or a font's advances.
// Wrapping, hit testing and caret placement all measure through it, so they
// agree with what is drawn.
#pragma once

namespace view {

class CTextMeasure {
 public:
  virtual ~CTextMeasure() = default;
  // The width of the character c drawn at fX; a tab reaches the next stop.
  virtual double Advance(char32_t c, double fX) const = 0;
};

// A character grid: one column a character, tab stops every eighth column.
class CColumnMeasure final : public CTextMeasure {
 public:
  double Advance(char32_t c, double fX) const override;
};

}  // namespace view
