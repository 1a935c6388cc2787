// A font's advances as the view library measures text: each character on its
// own, so that wrapping, clicks and the caret agree with the glyphs drawn one
// by one at those positions.
#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <unordered_map>

#include "TextMeasure.h"

namespace qtview {

class CFontMeasure final : public view::CTextMeasure {
 public:
  explicit CFontMeasure(const QFont& font);
  double Advance(char32_t c, double fX) const override;
  const QFontMetricsF& Metrics() const { return m_metrics; }

 private:
  QFontMetricsF m_metrics;
  // Tab stops every eight average characters, as the platform's edit boxes set them.
  double m_fTabStop;
  mutable std::unordered_map<char32_t, double> m_mapAdvances;
};

// The character as Qt draws it.
QString CharString(char32_t c);

}  // namespace qtview
