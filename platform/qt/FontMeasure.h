// A font's advances as the view library measures text: each character on its
// own, so that wrapping, clicks and the caret agree with the glyphs drawn one
// by one at those positions.
#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <array>
#include <memory>
#include <unordered_map>

#include "TextMeasure.h"

namespace qtview {

class CFontMeasure final : public view::CTextMeasure {
 public:
  explicit CFontMeasure(const QFont& font);
  double Advance(char32_t c, double fX) const override;
  const QFontMetricsF& Metrics() const { return m_metrics; }

 private:
  double Measure(char32_t c) const;

  QFontMetricsF m_metrics;
  // Tab stops every eight average characters, as the platform's edit boxes set them.
  double m_fTabStop;
  // Advances measured so far: the basic plane in blocks of 256 characters,
  // made as a character of the block is first drawn, since every row that is
  // laid out looks each of its characters up; the rest by character.
  static constexpr size_t kBlockShift = 8;
  using CBlock = std::array<double, size_t{1} << kBlockShift>;
  mutable std::array<std::unique_ptr<CBlock>, (size_t{0x10000} >> kBlockShift)> m_aBlocks;
  mutable std::unordered_map<char32_t, double> m_mapAdvances;
};

// The character as Qt draws it.
QString CharString(char32_t c);

}  // namespace qtview
