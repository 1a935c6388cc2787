#include "FontMeasure.h"

#include <cmath>

namespace qtview {

namespace {
// Marks an advance not measured yet.
constexpr double kUnmeasured = -1;
}  // namespace

QString CharString(char32_t c) { return QString::fromUcs4(&c, 1); }

CFontMeasure::CFontMeasure(const QFont& font) : m_metrics(font), m_fTabStop(8 * m_metrics.averageCharWidth()) {}

double CFontMeasure::Measure(char32_t c) const { return m_metrics.horizontalAdvance(CharString(c)); }

double CFontMeasure::Advance(char32_t c, double fX) const {
  if (c == U'\t') return m_fTabStop > 0 ? (std::floor(fX / m_fTabStop) + 1) * m_fTabStop - fX : 0;
  if (c < 0x10000) {
    std::unique_ptr<CBlock>& pBlock = m_aBlocks[c >> kBlockShift];
    if (!pBlock) {
      pBlock = std::make_unique<CBlock>();
      pBlock->fill(kUnmeasured);
    }
    double& fAdvance = (*pBlock)[c & ((size_t{1} << kBlockShift) - 1)];
    if (fAdvance == kUnmeasured) fAdvance = Measure(c);
    return fAdvance;
  }
  auto it = m_mapAdvances.find(c);
  if (it == m_mapAdvances.end()) it = m_mapAdvances.emplace(c, Measure(c)).first;
  return it->second;
}

}  // namespace qtview
