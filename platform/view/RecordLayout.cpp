#include "RecordLayout.h"

#include <algorithm>

namespace view {

namespace {

bool IsBlank(char32_t c) { return c == U' ' || c == U'\t'; }

// The character at i and how many units it takes.
char32_t CharAt(const win::CTextRange& text, size_t i, size_t nEnd, size_t* pUnits) {
  char16_t c = text[i];
  if (c >= 0xD800 && c <= 0xDBFF && i + 1 < nEnd && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
    *pUnits = 2;
    return 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (static_cast<char32_t>(text[i + 1]) - 0xDC00);
  }
  *pUnits = 1;
  return c;
}

}  // namespace

std::vector<size_t> CRecordLayout::RowStarts(const win::CTextRange& text, size_t nLine) const {
  size_t nStart = m_rIndex.LineStart(text, nLine), nEnd = m_rIndex.LineEnd(text, nLine);
  std::vector<size_t> starts{nStart};
  if (!m_pMeasure || m_fWidth <= 0) return starts;
  double fX = 0;
  size_t nRowStart = nStart;
  // Where the row could break after a blank; blanks themselves may pass the edge.
  size_t nAfterBlank = nStart;
  for (size_t i = nStart; i < nEnd;) {
    size_t nUnits = 1;
    char32_t c = CharAt(text, i, nEnd, &nUnits);
    double fAdvance = m_pMeasure->Advance(c, fX);
    if (fX + fAdvance > m_fWidth && i > nRowStart && !IsBlank(c)) {
      size_t nBreak = nAfterBlank > nRowStart ? nAfterBlank : i;
      starts.push_back(nBreak);
      nRowStart = nAfterBlank = i = nBreak;
      fX = 0;
      continue;
    }
    fX += fAdvance;
    i += nUnits;
    if (IsBlank(c)) nAfterBlank = i;
  }
  return starts;
}

SRow CRecordLayout::MakeRow(const std::vector<size_t>& starts, const win::CTextRange& text, size_t nLine,
                            size_t nRow) const {
  SRow row;
  row.nLine = nLine;
  row.nRow = nRow;
  row.nStart = starts[nRow];
  row.bLastOfLine = nRow + 1 >= starts.size();
  row.nEnd = row.bLastOfLine ? m_rIndex.LineEnd(text, nLine) : starts[nRow + 1];
  return row;
}

std::vector<SRow> CRecordLayout::Rows(const win::CTextRange& text, SViewTop top, size_t nRows) const {
  std::vector<SRow> rows;
  for (size_t nLine = top.nLine; nLine < m_rIndex.LineCount() && rows.size() < nRows; ++nLine) {
    std::vector<size_t> starts = RowStarts(text, nLine);
    for (size_t nRow = nLine == top.nLine ? top.nRow : 0; nRow < starts.size() && rows.size() < nRows; ++nRow)
      rows.push_back(MakeRow(starts, text, nLine, nRow));
  }
  return rows;
}

SRow CRecordLayout::RowAt(const win::CTextRange& text, size_t nPos) const {
  nPos = std::min(nPos, m_rIndex.Length());
  size_t nLine = m_rIndex.LineOf(text, nPos);
  std::vector<size_t> starts = RowStarts(text, nLine);
  size_t nRow = static_cast<size_t>(std::upper_bound(starts.begin(), starts.end(), nPos) - starts.begin()) - 1;
  return MakeRow(starts, text, nLine, nRow);
}

SViewTop CRecordLayout::Step(const win::CTextRange& text, SViewTop top, ptrdiff_t nDelta) const {
  while (nDelta > 0) {
    size_t nRows = RowCount(text, top.nLine);
    size_t nLeft = nRows - 1 - std::min(top.nRow, nRows - 1);
    if (static_cast<size_t>(nDelta) <= nLeft) return {top.nLine, top.nRow + static_cast<size_t>(nDelta)};
    if (top.nLine + 1 >= m_rIndex.LineCount()) return {top.nLine, nRows - 1};
    nDelta -= static_cast<ptrdiff_t>(nLeft) + 1;
    top = {top.nLine + 1, 0};
  }
  while (nDelta < 0) {
    if (static_cast<size_t>(-nDelta) <= top.nRow) return {top.nLine, top.nRow - static_cast<size_t>(-nDelta)};
    if (top.nLine == 0) return {0, 0};
    nDelta += static_cast<ptrdiff_t>(top.nRow) + 1;
    top = {top.nLine - 1, RowCount(text, top.nLine - 1) - 1};
  }
  return top;
}

SViewTop CRecordLayout::LastTop(const win::CTextRange& text, size_t nPageRows) const {
  size_t nLast = m_rIndex.LineCount() - 1;
  SViewTop end{nLast, RowCount(text, nLast) - 1};
  return Step(text, end, -static_cast<ptrdiff_t>(std::max<size_t>(nPageRows, 1) - 1));
}

SViewTop CRecordLayout::Scroll(const win::CTextRange& text, SViewTop top, ptrdiff_t nDelta, size_t nPageRows) const {
  SViewTop last = LastTop(text, nPageRows);
  if (top.nLine >= m_rIndex.LineCount()) top = last;
  top.nRow = std::min(top.nRow, RowCount(text, top.nLine) - 1);
  return std::min(Step(text, top, nDelta), last);
}

SViewTop CRecordLayout::Reveal(const win::CTextRange& text, SViewTop top, size_t nPos, size_t nPageRows) const {
  SRow row = RowAt(text, nPos);
  SViewTop at{row.nLine, row.nRow};
  if (at < top) return at;
  ptrdiff_t nBack = static_cast<ptrdiff_t>(std::max<size_t>(nPageRows, 1) - 1);
  if (Step(text, top, nBack) < at) return Step(text, at, -nBack);
  return top;
}

double CRecordLayout::XOf(const win::CTextRange& text, const SRow& row, size_t nPos) const {
  if (!m_pMeasure) return 0;
  double fX = 0;
  for (size_t i = row.nStart; i < std::min(nPos, row.nEnd);) {
    size_t nUnits = 1;
    char32_t c = CharAt(text, i, row.nEnd, &nUnits);
    fX += m_pMeasure->Advance(c, fX);
    i += nUnits;
  }
  return fX;
}

size_t CRecordLayout::PositionAt(const win::CTextRange& text, const SRow& row, double fX) const {
  double fAt = 0;
  size_t i = row.nStart, nLastStop = row.nStart;
  while (i < row.nEnd) {
    size_t nUnits = 1;
    char32_t c = CharAt(text, i, row.nEnd, &nUnits);
    double fAdvance = m_pMeasure ? m_pMeasure->Advance(c, fAt) : 0;
    if (fX < fAt + fAdvance / 2) return i;
    fAt += fAdvance;
    nLastStop = i;
    i += nUnits;
  }
  // The end of a wrapped row is the next row's start, which shows there.
  return row.bLastOfLine ? row.nEnd : nLastStop;
}

std::optional<ptrdiff_t> RowMoveDelta(win::ERowMove move, size_t nPageRows) {
  auto nPage = static_cast<ptrdiff_t>(std::max<size_t>(nPageRows, 1));
  switch (move) {
    case win::ERowMove::Up:
      return -1;
    case win::ERowMove::Down:
      return 1;
    case win::ERowMove::PageUp:
      return -nPage;
    case win::ERowMove::PageDown:
      return nPage;
    default:
      return std::nullopt;
  }
}

size_t CRecordLayout::MoveCaret(const win::CTextRange& text, size_t nCaret, win::ERowMove move, double fGoalX,
                                size_t nPageRows) const {
  auto vertical = [&](ptrdiff_t nDelta) {
    SRow row = RowAt(text, nCaret);
    SViewTop to = Step(text, {row.nLine, row.nRow}, nDelta);
    std::vector<size_t> starts = RowStarts(text, to.nLine);
    return PositionAt(text, MakeRow(starts, text, to.nLine, to.nRow), fGoalX);
  };
  if (std::optional<ptrdiff_t> nDelta = RowMoveDelta(move, nPageRows)) return vertical(*nDelta);
  SRow row = RowAt(text, nCaret);
  if (move == win::ERowMove::RowStart) return row.nStart;
  return row.bLastOfLine ? row.nEnd : PositionAt(text, row, XOf(text, row, row.nEnd));
}

}  // namespace view
