#include "CellLayout.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace tui {

namespace {

// One axis: intervals of dialog units and the cells each needs.
struct SSpan {
  long nLo, nHi;
  int nNeed;
  bool bGrows;
  int nWant;  // cells it takes from the growing spans when they can give them
};

class CAxis {
 public:
  CAxis(const std::vector<SSpan>& spans, long nFrame) : m_spans(spans) {
    m_vecBreaks.push_back(0);
    m_vecBreaks.push_back(nFrame);
    for (const SSpan& s : spans) {
      m_vecBreaks.push_back(s.nLo);
      m_vecBreaks.push_back(s.nHi);
    }
    std::sort(m_vecBreaks.begin(), m_vecBreaks.end());
    m_vecBreaks.erase(std::unique(m_vecBreaks.begin(), m_vecBreaks.end()), m_vecBreaks.end());
    m_vecPos.resize(m_vecBreaks.size());
    // Between two breaks that only growing spans, or spans around them, cover
    // the growing spans may give up their scaled cells.
    m_vecElastic.resize(m_vecBreaks.size());
    for (size_t j = 1; j < m_vecBreaks.size(); ++j) {
      auto covers = [&](const SSpan& s) { return s.nLo <= m_vecBreaks[j - 1] && s.nHi >= m_vecBreaks[j]; };
      auto spansGrowing = [&](const SSpan& s) {
        return std::any_of(spans.begin(), spans.end(),
                           [&](const SSpan& g) { return g.bGrows && g.nLo >= s.nLo && g.nHi <= s.nHi; });
      };
      m_vecElastic[j] =
          std::any_of(spans.begin(), spans.end(), [&](const SSpan& s) { return s.bGrows && covers(s); }) &&
          std::all_of(spans.begin(), spans.end(), [&](const SSpan& s) { return !covers(s) || spansGrowing(s); });
    }
  }

  // Longest path over the breaks: each keeps its scaled distance from the
  // one before (but where the growing spans give cells up), and each span
  // its needed cells. Answers the frame's cells.
  int Place(double fScale, const std::vector<int>& vecNeeds) {
    for (size_t j = 0; j < m_vecBreaks.size(); ++j) {
      int nPos = 0;
      if (j > 0) nPos = m_vecPos[j - 1];
      if (j > 0 && !(m_bElastic && m_vecElastic[j]))
        nPos += static_cast<int>(std::floor(m_vecBreaks[j] * fScale)) -
                static_cast<int>(std::floor(m_vecBreaks[j - 1] * fScale));
      for (size_t i = 0; i < m_spans.size(); ++i)
        if (m_spans[i].nHi == m_vecBreaks[j]) nPos = std::max(nPos, m_vecPos[Index(m_spans[i].nLo)] + vecNeeds[i]);
      m_vecPos[j] = nPos;
    }
    return m_vecPos.back();
  }

  int At(long nDlu) const { return m_vecPos[Index(nDlu)]; }
  int Need(size_t i) const { return m_vecNeeds[i]; }
  // Where the break was before the growing spans grew.
  int BaseAt(long nDlu) const { return m_vecBasePos[Index(nDlu)]; }

  // The largest scale up to fMax at which the spans fit nCells; then, with
  // nFill, the growing spans widened until the frame takes nFill cells.
  bool Fit(double fMax, int nCells, int nFill) {
    std::vector<int> vecNeeds;
    for (const SSpan& s : m_spans) vecNeeds.push_back(s.nNeed);
    if (Place(0, vecNeeds) > nCells) return false;
    double fLo = 0, fHi = fMax;
    if (Place(fMax, vecNeeds) > nCells) {
      for (int k = 0; k < 40; ++k) {
        double fMid = (fLo + fHi) / 2;
        (Place(fMid, vecNeeds) <= nCells ? fLo : fHi) = fMid;
      }
    } else {
      fLo = fMax;
    }
    m_fScale = fLo;
    Place(m_fScale, vecNeeds);
    m_vecBasePos = m_vecPos;
    if (nFill > 0) Grow(vecNeeds, nFill);
    Place(m_fScale, vecNeeds);
    m_vecNeeds = vecNeeds;
    return true;
  }

 private:
  size_t Index(long nDlu) const {
    return static_cast<size_t>(std::lower_bound(m_vecBreaks.begin(), m_vecBreaks.end(), nDlu) - m_vecBreaks.begin());
  }

  void Grow(std::vector<int>& vecNeeds, int nCells) {
    std::vector<int> vecBase(vecNeeds.size());
    bool bAny = false;
    for (size_t i = 0; i < m_spans.size(); ++i) {
      vecBase[i] = At(m_spans[i].nHi) - At(m_spans[i].nLo);
      bAny = bAny || m_spans[i].bGrows;
    }
    if (!bAny) return;
    // A span that wants more cells than it has takes them from the growing
    // spans, down to the cells these need; what they cannot give it goes
    // without.
    std::vector<int> vecWants = vecNeeds;
    int nMostBase = 0;
    for (size_t i = 0; i < m_spans.size(); ++i) {
      if (!m_spans[i].bGrows) vecWants[i] = std::max(vecNeeds[i], m_spans[i].nWant);
      m_bElastic = m_bElastic || vecWants[i] > vecBase[i];
      nMostBase = std::max(nMostBase, vecBase[i]);
    }
    auto needsWith = [&](int nExtra) {
      std::vector<int> v = vecWants;
      for (size_t i = 0; i < v.size(); ++i)
        if (m_spans[i].bGrows) v[i] = std::max(vecNeeds[i], vecBase[i] + nExtra);
      return v;
    };
    int nLo = m_bElastic ? -nMostBase : 0, nHi = nCells;
    while (Place(m_fScale, needsWith(nLo)) > nCells && vecWants != vecNeeds)
      for (size_t i = 0; i < vecWants.size(); ++i) vecWants[i] = std::max(vecNeeds[i], vecWants[i] - 1);
    while (nLo < nHi) {
      int nMid = (nLo + nHi + 1) / 2;
      if (Place(m_fScale, needsWith(nMid)) <= nCells)
        nLo = nMid;
      else
        nHi = nMid - 1;
    }
    vecNeeds = needsWith(nLo);
    // What an even share leaves over goes to the first growing spans.
    for (size_t i = 0; i < vecNeeds.size(); ++i) {
      if (!m_spans[i].bGrows) continue;
      while (true) {
        ++vecNeeds[i];
        if (Place(m_fScale, vecNeeds) > nCells) {
          --vecNeeds[i];
          break;
        }
      }
    }
  }

  std::vector<SSpan> m_spans;
  std::vector<long> m_vecBreaks;
  std::vector<int> m_vecPos;
  std::vector<int> m_vecBasePos;
  std::vector<int> m_vecNeeds;
  std::vector<bool> m_vecElastic;
  bool m_bElastic = false;  // some span takes cells from the growing ones
  double m_fScale = 0;
};

long Overlap(long nLo1, long nHi1, long nLo2, long nHi2) { return std::min(nHi1, nHi2) - std::max(nLo1, nLo2); }

// Cuts two overlapping boxes apart: the one that starts first ends where the
// other starts, along the axis where they overlap least.
void Separate(RECT& a, RECT& b) {
  long nX = Overlap(a.left, a.right, b.left, b.right), nY = Overlap(a.top, a.bottom, b.top, b.bottom);
  if (nX <= 0 || nY <= 0) return;
  bool bVertical = nY < nX ? a.top != b.top : a.left == b.left;
  if (bVertical) {
    RECT& upper = a.top < b.top ? a : b;
    RECT& lower = a.top < b.top ? b : a;
    upper.bottom = lower.top;
  } else {
    RECT& first = a.left < b.left ? a : b;
    RECT& second = a.left < b.left ? b : a;
    first.right = second.left;
  }
}

// Cells [first, second) of box i along one axis. A box that does not grow
// keeps the cells it had before the growing ones grew, moved with its start
// (the edges of a group box with the group's), so that the cells they take
// stretch no control that shares an edge with them. A box that spans a
// growing one grows with it.
std::pair<int, int> Cells(const CAxis& axis, const std::vector<SSpan>& spans, const std::vector<SLayoutBox>& boxes,
                          size_t i) {
  long nFirst = spans[i].nLo, nLast = spans[i].nHi;
  for (size_t j = 0; j < spans.size(); ++j)
    if (boxes[i].nGroup != 0 && boxes[j].nGroup == boxes[i].nGroup) {
      nFirst = std::min(nFirst, spans[j].nLo);
      nLast = std::max(nLast, spans[j].nHi);
    }
  bool bStretches = std::any_of(spans.begin(), spans.end(),
                                [&](const SSpan& s) { return s.bGrows && s.nLo >= nFirst && s.nHi <= nLast; });
  int nKeep = std::max(axis.BaseAt(nLast) - axis.BaseAt(nFirst), axis.Need(i));
  if (bStretches || axis.At(nLast) - axis.At(nFirst) < nKeep) return {axis.At(spans[i].nLo), axis.At(spans[i].nHi)};
  int nShift = axis.At(nFirst) - axis.BaseAt(nFirst), nStart = axis.BaseAt(spans[i].nLo) + nShift;
  return {nStart, std::max(axis.BaseAt(spans[i].nHi) + nShift, nStart + axis.Need(i))};
}

}  // namespace

std::optional<std::vector<SCellRect>> LayoutBoxes(std::vector<SLayoutBox> boxes, SIZE frameDlu, SIZE cells,
                                                  const SIZE* pFill, SIZE* pUsed) {
  for (size_t i = 0; i < boxes.size(); ++i)
    for (size_t j = i + 1; j < boxes.size(); ++j)
      if (boxes[i].nGroup == 0 || boxes[i].nGroup != boxes[j].nGroup) Separate(boxes[i].dlu, boxes[j].dlu);
  if (pFill) {
    // A frame that fills the cells has no margin after its last box.
    frameDlu = SIZE{0, 0};
    for (const SLayoutBox& b : boxes) {
      frameDlu.cx = std::max(frameDlu.cx, b.dlu.right);
      frameDlu.cy = std::max(frameDlu.cy, b.dlu.bottom);
    }
  }

  std::vector<SSpan> vecX, vecY;
  for (const SLayoutBox& b : boxes) {
    vecX.push_back({b.dlu.left, std::max(b.dlu.right, b.dlu.left + 1), b.nMinCx, b.bGrows, 0});
    vecY.push_back({b.dlu.top, std::max(b.dlu.bottom, b.dlu.top + 1), b.nMinCy, b.bGrows, b.nWantCy});
  }
  CAxis x(vecX, frameDlu.cx), y(vecY, frameDlu.cy);
  int nFillX = pFill ? static_cast<int>(pFill->cx) : 0, nFillY = pFill ? static_cast<int>(pFill->cy) : 0;
  if (!x.Fit(0.25, static_cast<int>(cells.cx), nFillX) || !y.Fit(0.125, static_cast<int>(cells.cy), nFillY))
    return std::nullopt;

  std::vector<SCellRect> rects;
  for (size_t i = 0; i < boxes.size(); ++i) {
    auto [nX, nRight] = Cells(x, vecX, boxes, i);
    auto [nY, nBottom] = Cells(y, vecY, boxes, i);
    rects.push_back({nX, nY, nRight - nX, nBottom - nY});
  }
  if (pUsed) *pUsed = SIZE{x.At(frameDlu.cx), y.At(frameDlu.cy)};
  return rects;
}

}  // namespace tui
