#include "LineIndex.h"

#include <algorithm>

namespace view {

namespace {
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
}  // namespace

CLineIndex::CLineIndex() { Reset(); }

void CLineIndex::Reset() {
  m_vecBlocks.clear();
  m_vecBlocks.shrink_to_fit();
  m_nLines = 0;
  Push(0);
  m_nLength = 0;
  m_nRun = 0;
  m_bEndsInCR = false;
}

void CLineIndex::SetStart(size_t nLine, size_t nStart) {
  uint64_t& nBase = Base(nLine);
  // The first line of a group is its base.
  if ((nLine & ((size_t{1} << kGroupShift) - 1)) == 0) nBase = nStart;
  Offset(nLine) = static_cast<uint16_t>(nStart - nBase);
}

void CLineIndex::Push(size_t nStart) {
  if ((m_nLines & (kLinesPerBlock - 1)) == 0) m_vecBlocks.push_back(std::make_unique<SBlock>());
  SetStart(m_nLines++, nStart);
}

void CLineIndex::Update(std::u16string_view text, size_t nAppendedFrom) {
  if (nAppendedFrom != m_nLength || text.size() < m_nLength) {
    Reset();
    nAppendedFrom = 0;
  }
  const char16_t* p = text.data();
  size_t i = nAppendedFrom, n = text.size();
  if (m_bEndsInCR && i < n && p[i] == u'\n') {
    ++i;
    SetStart(m_nLines - 1, i);
  }
  for (; i < n; ++i) {
    char16_t c = p[i];
    if (c > u'\r' || (c != u'\r' && c != u'\n')) {
      // A surrogate pair stays in one piece.
      if (m_nRun > kMaxPiece || (m_nRun == kMaxPiece && !IsLowSurrogate(c))) {
        Push(i);
        m_nRun = 0;
      }
      ++m_nRun;
      continue;
    }
    if (c == u'\r' && i + 1 < n && p[i + 1] == u'\n') ++i;
    Push(i + 1);
    m_nRun = 0;
  }
  m_bEndsInCR = n > nAppendedFrom ? p[n - 1] == u'\r' : m_bEndsInCR;
  m_nLength = n;
}

size_t CLineIndex::LineStart(size_t nLine) const { return static_cast<size_t>(Base(nLine) + Offset(nLine)); }

size_t CLineIndex::LineEnd(std::u16string_view text, size_t nLine) const {
  if (nLine + 1 >= LineCount()) return m_nLength;
  size_t nStart = LineStart(nLine), nNext = LineStart(nLine + 1);
  if (nNext == nStart) return nStart;
  char16_t c = text[nNext - 1];
  if (c == u'\n') return nNext - 1 > nStart && text[nNext - 2] == u'\r' ? nNext - 2 : nNext - 1;
  return c == u'\r' ? nNext - 1 : nNext;
}

size_t CLineIndex::LineOf(size_t nPos) const {
  // The last group whose base is at or before nPos, then the last line in it.
  size_t nGroups = ((m_nLines - 1) >> kGroupShift) + 1;
  size_t nLow = 0, nHigh = nGroups;
  while (nHigh - nLow > 1) {
    size_t nMid = nLow + (nHigh - nLow) / 2;
    if (Base(nMid << kGroupShift) <= nPos)
      nLow = nMid;
    else
      nHigh = nMid;
  }
  size_t nFirst = nLow << kGroupShift;
  size_t nLast = std::min(m_nLines, nFirst + (size_t{1} << kGroupShift));
  uint64_t nBase = Base(nFirst);
  size_t nLine = nFirst;
  while (nLine + 1 < nLast && nBase + Offset(nLine + 1) <= nPos) ++nLine;
  return nLine;
}

size_t CLineIndex::MemoryBytes() const {
  return m_vecBlocks.size() * sizeof(SBlock) + m_vecBlocks.capacity() * sizeof(std::unique_ptr<SBlock>);
}

}  // namespace view
