#include "LineIndex.h"

#include <algorithm>

namespace view {

namespace {
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
}  // namespace

void CLineIndex::Reset() {
  m_vecBases.assign(1, 0);
  m_vecOffsets.assign(1, 0);
  m_vecBases.shrink_to_fit();
  m_vecOffsets.shrink_to_fit();
  m_nLength = 0;
  m_nRun = 0;
  m_bEndsInCR = false;
}

void CLineIndex::Push(size_t nStart) {
  size_t nLine = m_vecOffsets.size();
  if ((nLine >> kChunkShift) >= m_vecBases.size()) m_vecBases.push_back(nStart);
  m_vecOffsets.push_back(static_cast<uint32_t>(nStart - m_vecBases[nLine >> kChunkShift]));
}

void CLineIndex::MoveLastStart(size_t nStart) {
  size_t nLine = m_vecOffsets.size() - 1;
  uint64_t& nBase = m_vecBases[nLine >> kChunkShift];
  // The first line of a chunk is its base.
  if ((nLine & ((size_t{1} << kChunkShift) - 1)) == 0) nBase = nStart;
  m_vecOffsets[nLine] = static_cast<uint32_t>(nStart - nBase);
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
    MoveLastStart(i);
  }
  for (; i < n; ++i) {
    char16_t c = p[i];
    if (c > u'\r' || (c != u'\r' && c != u'\n')) {
      // A surrogate pair stays in one piece.
      if (m_nRun >= kMaxPiece && !IsLowSurrogate(c)) {
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

size_t CLineIndex::LineStart(size_t nLine) const {
  return static_cast<size_t>(m_vecBases[nLine >> kChunkShift] + m_vecOffsets[nLine]);
}

size_t CLineIndex::LineEnd(std::u16string_view text, size_t nLine) const {
  if (nLine + 1 >= LineCount()) return m_nLength;
  size_t nStart = LineStart(nLine), nNext = LineStart(nLine + 1);
  if (nNext == nStart) return nStart;
  char16_t c = text[nNext - 1];
  if (c == u'\n') return nNext - 1 > nStart && text[nNext - 2] == u'\r' ? nNext - 2 : nNext - 1;
  return c == u'\r' ? nNext - 1 : nNext;
}

size_t CLineIndex::LineOf(size_t nPos) const {
  // The last chunk whose base is at or before nPos, then the last line in it.
  auto itBase = std::upper_bound(m_vecBases.begin(), m_vecBases.end(), static_cast<uint64_t>(nPos));
  size_t nChunk = static_cast<size_t>(itBase - m_vecBases.begin()) - 1;
  size_t nFirst = nChunk << kChunkShift;
  size_t nLast = std::min(m_vecOffsets.size(), nFirst + (size_t{1} << kChunkShift));
  auto nOffset = static_cast<uint32_t>(nPos - m_vecBases[nChunk]);
  auto it = std::upper_bound(m_vecOffsets.begin() + static_cast<ptrdiff_t>(nFirst),
                             m_vecOffsets.begin() + static_cast<ptrdiff_t>(nLast), nOffset);
  return static_cast<size_t>(it - m_vecOffsets.begin()) - 1;
}

size_t CLineIndex::MemoryBytes() const {
  return m_vecBases.capacity() * sizeof(uint64_t) + m_vecOffsets.capacity() * sizeof(uint32_t);
}

}  // namespace view
