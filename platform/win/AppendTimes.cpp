#include "AppendTimes.h"

#include <algorithm>

namespace win {

namespace {

// A signed delta folded so that small values of either sign stay small.
uint64_t Fold(int64_t n) { return (static_cast<uint64_t>(n) << 1) ^ static_cast<uint64_t>(n >> 63); }
int64_t Unfold(uint64_t n) { return static_cast<int64_t>(n >> 1) ^ -static_cast<int64_t>(n & 1); }

uint64_t Get(const std::vector<uint8_t>& bytes, size_t& i) {
  uint64_t n = 0;
  for (int nShift = 0;; nShift += 7) {
    uint8_t b = bytes[i++];
    n |= static_cast<uint64_t>(b & 0x7F) << nShift;
    if (!(b & 0x80)) return n;
  }
}

}  // namespace

void CAppendTimes::Reset(int64_t nTimeMs) {
  m_vecGroups.clear();
  m_vecDeltas.clear();
  m_vecBlocks.clear();
  m_vecGroups.shrink_to_fit();
  m_vecDeltas.shrink_to_fit();
  m_vecBlocks.shrink_to_fit();
  m_vecGroups.push_back({0, nTimeMs, 0});
  m_nCount = 1;
  m_last = {0, nTimeMs};
}

void CAppendTimes::Put(uint64_t nValue) {
  while (nValue >= 0x80) {
    m_vecDeltas.push_back(static_cast<uint8_t>(nValue | 0x80));
    nValue >>= 7;
  }
  m_vecDeltas.push_back(static_cast<uint8_t>(nValue));
}

void CAppendTimes::Append(size_t nOffset, int64_t nTimeMs) {
  if (nOffset <= m_last.nOffset) return;
  if (nTimeMs - m_last.nTime > kPauseMs) m_vecBlocks.push_back(nOffset);
  if (m_nCount % kGroup == 0) {
    m_vecGroups.push_back({nOffset, nTimeMs, static_cast<uint32_t>(m_vecDeltas.size())});
  } else {
    Put(nOffset - m_last.nOffset);
    Put(Fold(nTimeMs - m_last.nTime));
  }
  ++m_nCount;
  m_last = {nOffset, nTimeMs};
}

CAppendTimes::SEntry CAppendTimes::Find(size_t nPos) const {
  auto it = std::upper_bound(m_vecGroups.begin(), m_vecGroups.end(), nPos,
                             [](size_t n, const SGroup& group) { return n < group.nOffset; });
  const SGroup& group = *std::prev(it);
  SEntry entry{static_cast<size_t>(group.nOffset), group.nTime};
  size_t nEntries = it == m_vecGroups.end() ? (m_nCount - 1) % kGroup : kGroup - 1;
  for (size_t i = group.nByte; nEntries > 0; --nEntries) {
    size_t nOffset = entry.nOffset + Get(m_vecDeltas, i);
    if (nOffset > nPos) break;
    entry = {nOffset, entry.nTime + Unfold(Get(m_vecDeltas, i))};
  }
  return entry;
}

int64_t CAppendTimes::TimeAt(size_t nPos) const { return Find(nPos).nTime; }

size_t CAppendTimes::BlockStart(size_t nPos) const {
  auto it = std::upper_bound(m_vecBlocks.begin(), m_vecBlocks.end(), nPos);
  return it == m_vecBlocks.begin() ? 0 : static_cast<size_t>(*std::prev(it));
}

size_t CAppendTimes::NextBlockStart(size_t nPos) const {
  auto it = std::upper_bound(m_vecBlocks.begin(), m_vecBlocks.end(), nPos);
  return it == m_vecBlocks.end() ? kNone : static_cast<size_t>(*it);
}

size_t CAppendTimes::MemoryBytes() const {
  return m_vecGroups.capacity() * sizeof(SGroup) + m_vecDeltas.capacity() + m_vecBlocks.capacity() * sizeof(uint64_t);
}

}  // namespace win
