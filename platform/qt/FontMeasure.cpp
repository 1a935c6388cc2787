#include "FontMeasure.h"

#include <cmath>

namespace qtview {

QString CharString(char32_t c) { return QString::fromUcs4(&c, 1); }

CFontMeasure::CFontMeasure(const QFont& font) : m_metrics(font), m_fTabStop(8 * m_metrics.averageCharWidth()) {}

double CFontMeasure::Advance(char32_t c, double fX) const {
  if (c == U'\t') return m_fTabStop > 0 ? (std::floor(fX / m_fTabStop) + 1) * m_fTabStop - fX : 0;
  auto it = m_mapAdvances.find(c);
  if (it == m_mapAdvances.end()) it = m_mapAdvances.emplace(c, m_metrics.horizontalAdvance(CharString(c))).first;
  return it->second;
}

}  // namespace qtview
