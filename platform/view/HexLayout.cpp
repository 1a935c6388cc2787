#include "HexLayout.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace view {

void CHexLayout::SetMeasure(const CTextMeasure* pMeasure) {
  m_pMeasure = pMeasure;
  m_fCell = m_fBlank = 1;
  if (!pMeasure) return;
  m_fBlank = pMeasure->Advance(U' ', 0);
  m_fCell = 0;
  for (char32_t c : std::u32string_view(U"0123456789ABCDEF?")) m_fCell = std::max(m_fCell, pMeasure->Advance(c, 0));
}

bool CHexLayout::SetWidth(double fWidth) {
  // A unit takes a step and a character.
  size_t nUnits = win::kHexRowUnits;
  auto width = [&](size_t n) { return (Step() + Cell()) * static_cast<double>(n) + Blank(); };
  while (nUnits > 1 && fWidth > 0 && width(nUnits) > fWidth) nUnits /= 2;
  if (nUnits == m_nRowUnits) return false;
  m_nRowUnits = nUnits;
  return true;
}

SRow CHexLayout::MakeRow(const win::CTextRange& text, win::SHexRow hex) const {
  SRow row;
  row.nLine = row.nStart = hex.nStart;
  row.nEnd = hex.nEnd;
  row.bLastOfLine = hex.nEnd >= text.size();
  return row;
}

SRow CHexLayout::RowAt(const win::CTextRange& text, size_t nPos) const {
  return MakeRow(text, win::HexRowAt(m_rTimes, text.size(), nPos, m_nRowUnits));
}

std::vector<SRow> CHexLayout::Rows(const win::CTextRange& text, size_t nTop, size_t nRows) const {
  std::vector<SRow> rows;
  if (nRows == 0) return rows;
  rows.push_back(RowAt(text, nTop));
  while (rows.size() < nRows && !rows.back().bLastOfLine) rows.push_back(RowAt(text, rows.back().nEnd));
  return rows;
}

size_t CHexLayout::Step(const win::CTextRange& text, size_t nTop, ptrdiff_t nDelta) const {
  SRow row = RowAt(text, nTop);
  for (; nDelta > 0 && !row.bLastOfLine; --nDelta) row = RowAt(text, row.nEnd);
  for (; nDelta < 0 && row.nStart > 0; ++nDelta) row = RowAt(text, row.nStart - 1);
  return row.nStart;
}

size_t CHexLayout::LastTop(const win::CTextRange& text, size_t nPageRows) const {
  return Step(text, text.size(), -static_cast<ptrdiff_t>(std::max<size_t>(nPageRows, 1) - 1));
}

size_t CHexLayout::Scroll(const win::CTextRange& text, size_t nTop, ptrdiff_t nDelta, size_t nPageRows) const {
  return std::min(Step(text, nTop, nDelta), LastTop(text, nPageRows));
}

size_t CHexLayout::Reveal(const win::CTextRange& text, size_t nTop, size_t nPos, size_t nPageRows) const {
  size_t nAt = RowAt(text, nPos).nStart;
  if (nAt < nTop) return nAt;
  auto nBack = static_cast<ptrdiff_t>(std::max<size_t>(nPageRows, 1) - 1);
  if (Step(text, nTop, nBack) < nAt) return Step(text, nAt, -nBack);
  return nTop;
}

double CHexLayout::XOf(const SRow& row, size_t nPos) const {
  return Step() * static_cast<double>(std::clamp(nPos, row.nStart, row.nEnd) - row.nStart);
}

double CHexLayout::ColumnX(const win::CTextRange& text, const SRow& row, size_t nPos) const {
  double fX = ColumnStart();
  for (size_t i = row.nStart; i < std::min(nPos, row.nEnd); ++i)
    if (char32_t c = win::HexColumnChar(text, {row.nStart, row.nEnd}, i); c && m_pMeasure)
      fX += m_pMeasure->Advance(c, fX);
  return fX;
}

size_t CHexLayout::PositionAt(const win::CTextRange& text, const SRow& row, double fX, bool bCharUnder) const {
  double fColumn = ColumnStart();
  size_t nUnits = row.nEnd - row.nStart, nAt = 0;
  if (fX < fColumn - Blank() / 2) {
    double fUnits = fX / Step();
    nAt = static_cast<size_t>(std::max(0.0, bCharUnder ? std::floor(fUnits) : std::round(fUnits)));
  } else {
    for (double fAt = fColumn; nAt < nUnits; ++nAt) {
      char32_t c = win::HexColumnChar(text, {row.nStart, row.nEnd}, row.nStart + nAt);
      double fAdvance = c && m_pMeasure ? m_pMeasure->Advance(c, fAt) : 0;
      if (fX < fAt + (bCharUnder ? fAdvance : fAdvance / 2)) break;
      fAt += fAdvance;
    }
  }
  // The end of a row that is not the last is the next row's start.
  if (nAt >= nUnits) nAt = row.bLastOfLine || nUnits == 0 ? nUnits : nUnits - 1;
  size_t nPos = row.nStart + nAt;
  // A surrogate pair is one stop, at its first unit.
  if (nPos > row.nStart && nPos < row.nEnd && win::HexColumnChar(text, {row.nStart, row.nEnd}, nPos) == 0) --nPos;
  return nPos;
}

size_t CHexLayout::MoveCaret(const win::CTextRange& text, size_t nCaret, win::ERowMove move, double fGoalX,
                             size_t nPageRows) const {
  auto vertical = [&](ptrdiff_t nDelta) {
    return PositionAt(text, RowAt(text, Step(text, nCaret, nDelta)), fGoalX, false);
  };
  if (std::optional<ptrdiff_t> nDelta = RowMoveDelta(move, nPageRows)) return vertical(*nDelta);
  SRow row = RowAt(text, nCaret);
  if (move == win::ERowMove::RowStart) return row.nStart;
  return row.bLastOfLine ? row.nEnd : PositionAt(text, row, XOf(row, row.nEnd), false);
}

}  // namespace view
