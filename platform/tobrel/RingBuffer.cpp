#include "RingBuffer.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

namespace tobrel {

namespace {

// Drained bytes go back to the system a granule at a time, so that a large buffer holds
// about as much memory as it has bytes waiting, not its whole size once it has gone round.
constexpr size_t kReleaseGranule = 256 * 1024;

uintptr_t PageSize() {
  static const auto nPage = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  return nPage;
}

// Page-aligned memory of at least nSize bytes.
uint8_t* AllocatePages(size_t nSize) {
  const size_t nRounded = (nSize + PageSize() - 1) & ~(PageSize() - 1);
  void* p = std::aligned_alloc(PageSize(), nRounded);
  if (p == nullptr) throw std::bad_alloc();
  return static_cast<uint8_t*>(p);
}

// Gives the whole pages of [p, p + nSize) back; they read as zero when next touched.
void ReleasePages(uint8_t* p, size_t nSize) {
  const uintptr_t nPage = PageSize();
  const uintptr_t nStart = (reinterpret_cast<uintptr_t>(p) + nPage - 1) & ~(nPage - 1);
  const uintptr_t nEnd = (reinterpret_cast<uintptr_t>(p) + nSize) & ~(nPage - 1);
  if (nEnd > nStart) madvise(reinterpret_cast<void*>(nStart), nEnd - nStart, MADV_DONTNEED);
}

}  // namespace

void CRingBuffer::SFree::operator()(uint8_t* p) const { std::free(p); }

CRingBuffer::CRingBuffer(size_t nCapacity) : m_nCapacity(nCapacity), m_pData(AllocatePages(nCapacity)) {}

void CRingBuffer::RewindEmpty() {
  if (m_nTail != m_nHead || m_nTail % m_nCapacity == 0) return;
  m_nHead = m_nTail = m_nLentEnd = (m_nTail / m_nCapacity + 1) * m_nCapacity;
}

uint8_t* CRingBuffer::FreeArea(size_t& nSize) {
  std::lock_guard lock(m_mtx);
  RewindEmpty();
  const size_t nFree = m_nCapacity - static_cast<size_t>(m_nTail - m_nHead);
  const size_t nOffset = static_cast<size_t>(m_nTail % m_nCapacity);
  nSize = std::min(nFree, m_nCapacity - nOffset);
  m_nLentEnd = m_nTail + nSize;
  return nSize == 0 ? nullptr : m_pData.get() + nOffset;
}

void CRingBuffer::ReleaseDrained(uint64_t nFrom, uint64_t nTo) {
  if (m_nCapacity % kReleaseGranule != 0) return;
  // The producer may already be filling the next round up to here.
  const uint64_t nInUse = std::max(m_nTail, m_nLentEnd);
  for (uint64_t nGranule = nFrom / kReleaseGranule; nGranule < nTo / kReleaseGranule; ++nGranule) {
    const uint64_t nStart = nGranule * kReleaseGranule;
    if (nStart + m_nCapacity < nInUse) continue;
    ReleasePages(m_pData.get() + nStart % m_nCapacity, kReleaseGranule);
  }
}

void CRingBuffer::Commit(size_t nCount) {
  {
    std::lock_guard lock(m_mtx);
    m_nTail += nCount;
  }
  m_cvData.notify_all();
}

bool CRingBuffer::Append(const uint8_t* pData, size_t nCount) {
  // A read that decoded to nothing may come with no data at all.
  if (nCount == 0) return true;
  {
    std::lock_guard lock(m_mtx);
    RewindEmpty();
    if (m_nCapacity - static_cast<size_t>(m_nTail - m_nHead) < nCount) return false;
    const size_t nOffset = static_cast<size_t>(m_nTail % m_nCapacity);
    const size_t nFirst = std::min(nCount, m_nCapacity - nOffset);
    std::memcpy(m_pData.get() + nOffset, pData, nFirst);
    std::memcpy(m_pData.get(), pData + nFirst, nCount - nFirst);
    m_nTail += nCount;
  }
  m_cvData.notify_all();
  return true;
}

void CRingBuffer::CountLost(size_t nCount) {
  std::lock_guard lock(m_mtx);
  if (m_nLost == 0) m_lostSince = std::chrono::system_clock::now();
  m_nLost += nCount;
  m_nLostTotal += nCount;
}

void CRingBuffer::MarkGone() {
  {
    std::lock_guard lock(m_mtx);
    m_bGone = true;
  }
  m_cvData.notify_all();
}

void CRingBuffer::Reset() {
  std::lock_guard lock(m_mtx);
  ReleasePages(m_pData.get(), m_nCapacity);
  m_nHead = m_nTail = m_nLentEnd = m_nLost = m_nLostTotal = 0;
  m_bGone = m_bGoneTold = false;
}

size_t CRingBuffer::Size() const {
  std::lock_guard lock(m_mtx);
  return static_cast<size_t>(m_nTail - m_nHead);
}

bool CRingBuffer::IsGone() const {
  std::lock_guard lock(m_mtx);
  return m_bGone;
}

CRingBuffer::SLoss CRingBuffer::TakeLost() {
  std::lock_guard lock(m_mtx);
  return {std::exchange(m_nLost, 0), m_lostSince};
}

uint64_t CRingBuffer::LostTotal() const {
  std::lock_guard lock(m_mtx);
  return m_nLostTotal;
}

bool CRingBuffer::TakeGoneNews() {
  std::lock_guard lock(m_mtx);
  return m_bGone && !std::exchange(m_bGoneTold, true);
}

bool CRingBuffer::HasNews() const {
  std::lock_guard lock(m_mtx);
  return m_nLost != 0 || (m_bGone && !m_bGoneTold);
}

CRingBuffer::EWait CRingBuffer::WaitFor(size_t nCount, std::chrono::steady_clock::time_point deadline) {
  std::unique_lock lock(m_mtx);
  const bool bReady = m_cvData.wait_until(lock, deadline, [&] { return m_nTail - m_nHead >= nCount || m_bGone; });
  if (m_nTail - m_nHead >= nCount) return EWait::Ready;
  return bReady ? EWait::Gone : EWait::Timeout;
}

void CRingBuffer::CopyOut(uint64_t nFrom, uint8_t* pOut, size_t nCount) const {
  const size_t nOffset = static_cast<size_t>(nFrom % m_nCapacity);
  const size_t nFirst = std::min(nCount, m_nCapacity - nOffset);
  std::memcpy(pOut, m_pData.get() + nOffset, nFirst);
  std::memcpy(pOut + nFirst, m_pData.get(), nCount - nFirst);
}

const uint8_t* CRingBuffer::DataArea(size_t& nSize) const {
  std::lock_guard lock(m_mtx);
  const size_t nOffset = static_cast<size_t>(m_nHead % m_nCapacity);
  nSize = std::min(static_cast<size_t>(m_nTail - m_nHead), m_nCapacity - nOffset);
  return nSize == 0 ? nullptr : m_pData.get() + nOffset;
}

bool CRingBuffer::Peek(uint8_t* pOut, size_t nCount) const {
  std::lock_guard lock(m_mtx);
  if (m_nTail - m_nHead < nCount) return false;
  CopyOut(m_nHead, pOut, nCount);
  return true;
}

size_t CRingBuffer::Take(uint8_t* pOut, size_t nCount) {
  std::lock_guard lock(m_mtx);
  nCount = std::min(nCount, static_cast<size_t>(m_nTail - m_nHead));
  if (pOut != nullptr) CopyOut(m_nHead, pOut, nCount);
  ReleaseDrained(m_nHead, m_nHead + nCount);
  m_nHead += nCount;
  return nCount;
}

}  // namespace tobrel
