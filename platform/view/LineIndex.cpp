#include "LineIndex.h"

#include <algorithm>
#include <utility>

namespace view {

namespace {

bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Finds the line starts in units [nBase, nBase + nCount) of text, read from
// p, nRun units into a line, and calls onStart(start) for each until it
// returns false. A CR that ends the units and whose LF starts the next
// leaves bSkipLF for them.
template <typename T, typename F>
bool ScanUnits(const win::CTextRange& text, const T* p, size_t nBase, size_t nCount, size_t& nRun, bool& bSkipLF,
               F& onStart) {
  size_t k = std::exchange(bSkipLF, false) ? 1 : 0;
  for (; k < nCount; ++k) {
    char16_t c = p[k];
    if (c > u'\r' || (c != u'\r' && c != u'\n')) {
      // A surrogate pair stays in one piece.
      if (nRun > CLineIndex::kMaxPiece || (nRun == CLineIndex::kMaxPiece && !IsLowSurrogate(c))) {
        nRun = 0;
        if (!onStart(nBase + k)) return false;
      }
      ++nRun;
      continue;
    }
    size_t nAt = nBase + k;
    if (c == u'\r' && nAt + 1 < text.size() && text[nAt + 1] == u'\n') {
      ++nAt;
      if (++k == nCount) bSkipLF = true;
    }
    nRun = 0;
    if (!onStart(nAt + 1)) return false;
  }
  return true;
}

// Finds the line starts in units [i, text.size()) of text, a piece of the
// store at a time: the one reading of the text's lines, for indexing and
// for finding the starts between those held. A byte of a narrow piece is
// never a surrogate, and a zero byte (U+2400) never a line break.
template <typename F>
void ScanStarts(const win::CTextRange& text, size_t i, size_t& nRun, F&& onStart) {
  bool bSkipLF = false;
  text.substr(i).ForEachPiece([&](const win::STextPiece& piece) {
    return piece.pNarrow ? ScanUnits(text, piece.pNarrow, i + piece.nPos, piece.nCount, nRun, bSkipLF, onStart)
                         : ScanUnits(text, piece.pWide, i + piece.nPos, piece.nCount, nRun, bSkipLF, onStart);
  });
}

}  // namespace

CLineIndex::CLineIndex() { Reset(); }

void CLineIndex::Reset() {
  m_vecGroupStarts.clear();
  m_vecGroupStarts.shrink_to_fit();
  m_nLines = 0;
  Push(0);
  m_nLength = 0;
  m_nRun = 0;
  m_bEndsInCR = false;
  for (SGroup& group : m_aGroups) group.nGroup = kNoGroup;
}

void CLineIndex::Push(size_t nStart) {
  if ((m_nLines & (kGroupLines - 1)) == 0) m_vecGroupStarts.push_back(nStart);
  ++m_nLines;
}

void CLineIndex::Update(const win::CTextRange& text, size_t nAppendedFrom) {
  if (nAppendedFrom != m_nLength || text.size() < m_nLength) {
    Reset();
    nAppendedFrom = 0;
  }
  size_t i = nAppendedFrom, n = text.size();
  if (m_bEndsInCR && i < n && text[i] == u'\n') {
    ++i;
    // The line after the CR starts after its LF instead.
    if (((m_nLines - 1) & (kGroupLines - 1)) == 0) m_vecGroupStarts.back() = i;
  }
  ScanStarts(text, i, m_nRun, [this](size_t nStart) {
    Push(nStart);
    return true;
  });
  m_bEndsInCR = n > nAppendedFrom ? text[n - 1] == u'\r' : m_bEndsInCR;
  m_nLength = n;
}

const CLineIndex::SGroup& CLineIndex::Group(const win::CTextRange& text, size_t nGroup) const {
  SGroup* pGroup = nullptr;
  for (SGroup& group : m_aGroups)
    if (group.nGroup == nGroup) pGroup = &group;
  if (pGroup && pGroup->nLength == m_nLength) return *pGroup;
  // Starts read before the text grew stay, but the last: a LF may have moved it past its CR.
  size_t nKnown = pGroup ? std::max<size_t>(pGroup->nLines, 2) - 1 : 1;
  if (!pGroup) {
    pGroup = &m_aGroups[m_nNextGroup];
    m_nNextGroup = (m_nNextGroup + 1) % m_aGroups.size();
    pGroup->nGroup = nGroup;
  }
  SGroup& group = *pGroup;
  group.aStarts[0] = m_vecGroupStarts[nGroup];
  group.nLength = m_nLength;
  group.nLines = std::min(kGroupLines, m_nLines - (nGroup << kGroupShift));
  size_t nRun = 0;
  if (nKnown < group.nLines) {
    ScanStarts(text.substr(0, m_nLength), static_cast<size_t>(group.aStarts[nKnown - 1]), nRun, [&](size_t nStart) {
      group.aStarts[nKnown++] = nStart;
      return nKnown < group.nLines;
    });
  }
  return group;
}

size_t CLineIndex::LineStart(const win::CTextRange& text, size_t nLine) const {
  return static_cast<size_t>(Group(text, nLine >> kGroupShift).aStarts[nLine & (kGroupLines - 1)]);
}

size_t CLineIndex::LineEnd(const win::CTextRange& text, size_t nLine) const {
  if (nLine + 1 >= LineCount()) return m_nLength;
  size_t nStart = LineStart(text, nLine), nNext = LineStart(text, nLine + 1);
  if (nNext == nStart) return nStart;
  char16_t c = text[nNext - 1];
  if (c == u'\n') return nNext - 1 > nStart && text[nNext - 2] == u'\r' ? nNext - 2 : nNext - 1;
  return c == u'\r' ? nNext - 1 : nNext;
}

size_t CLineIndex::LineOf(const win::CTextRange& text, size_t nPos) const {
  // The last group that starts at or before nPos, then the last line in it.
  auto it = std::upper_bound(m_vecGroupStarts.begin(), m_vecGroupStarts.end(), static_cast<uint64_t>(nPos));
  size_t nGroup = static_cast<size_t>(it - m_vecGroupStarts.begin()) - 1;
  const SGroup& group = Group(text, nGroup);
  auto itLine = std::upper_bound(group.aStarts.begin(), group.aStarts.begin() + static_cast<ptrdiff_t>(group.nLines),
                                 static_cast<uint64_t>(nPos));
  return (nGroup << kGroupShift) + static_cast<size_t>(itLine - group.aStarts.begin()) - 1;
}

size_t CLineIndex::MemoryBytes() const { return m_vecGroupStarts.capacity() * sizeof(uint64_t); }

}  // namespace view
