#include "SharedText.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

namespace win {

namespace {

// A large block is mapped from the system on its own, so that growing it
// remaps pages rather than copying them, and freeing it gives them back
// at once, whatever the allocator's heap holds around it.
constexpr size_t kMappedBytes = 256 * 1024;

size_t PageSize() {
  static const auto nPage = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  return nPage;
}

}  // namespace

// One block of units, shared by every view of it. A block grows in place,
// so the views of a growing record never need a second copy of it.
struct CSharedText::Storage {
  char16_t* m_pData = nullptr;
  size_t m_nCapacity = 0;
  // Longest length written; units below it are visible to some view.
  size_t m_nFrontier = 0;
  bool m_bMapped = false;

  Storage() = default;
  Storage(const Storage&) = delete;
  Storage& operator=(const Storage&) = delete;
  ~Storage() {
    if (m_bMapped)
      munmap(m_pData, m_nCapacity * sizeof(char16_t));
    else
      std::free(m_pData);
  }

  void Reserve(size_t nMin) {
    if (nMin <= m_nCapacity) return;
    // Geometric growth keeps appends amortised constant; past 64 Ki units a
    // block grows by a thirty-second, which keeps a record's slack under
    // 3.2 % from there on, and cheap since growing a large block remaps it.
    size_t nGrown = m_nCapacity < (size_t{1} << 16) ? m_nCapacity * 2 : m_nCapacity + m_nCapacity / 32;
    size_t nBytes = std::max({nMin, nGrown, size_t{16}}) * sizeof(char16_t);
    if (nBytes < kMappedBytes) {
      auto* pData = static_cast<char16_t*>(std::realloc(m_pData, nBytes));
      if (!pData) throw std::bad_alloc();
      m_pData = pData;
    } else {
      nBytes = (nBytes + PageSize() - 1) / PageSize() * PageSize();
      void* p = m_bMapped ? mremap(m_pData, m_nCapacity * sizeof(char16_t), nBytes, MREMAP_MAYMOVE)
                          : mmap(nullptr, nBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
      if (p == MAP_FAILED) throw std::bad_alloc();
      if (!m_bMapped) {
        if (m_nFrontier > 0) std::memcpy(p, m_pData, m_nFrontier * sizeof(char16_t));
        std::free(m_pData);
        m_bMapped = true;
      }
      m_pData = static_cast<char16_t*>(p);
    }
    m_nCapacity = nBytes / sizeof(char16_t);
  }
};

CSharedText::CSharedText(std::u16string_view text) { Assign(text); }

std::u16string_view CSharedText::View() const {
  return m_pStorage ? std::u16string_view(m_pStorage->m_pData, m_nLength) : std::u16string_view();
}

size_t CSharedText::Capacity() const { return m_pStorage ? m_pStorage->m_nCapacity : 0; }

bool CSharedText::SharesStorageWith(const CSharedText& other) const {
  return m_pStorage && m_pStorage == other.m_pStorage;
}

bool CSharedText::Holds(std::u16string_view text) const {
  return m_pStorage && text.data() >= m_pStorage->m_pData &&
         text.data() < m_pStorage->m_pData + m_pStorage->m_nCapacity;
}

// Gives this view a block of its own holding its current text.
void CSharedText::Detach(size_t nMinCapacity) {
  auto pStorage = std::make_shared<Storage>();
  pStorage->Reserve(std::max(nMinCapacity, m_nLength));
  if (m_nLength > 0) std::memcpy(pStorage->m_pData, m_pStorage->m_pData, m_nLength * sizeof(char16_t));
  pStorage->m_nFrontier = m_nLength;
  m_pStorage = std::move(pStorage);
}

void CSharedText::Assign(std::u16string_view text) {
  if (Holds(text)) {
    std::u16string copy(text);
    Assign(copy);
    return;
  }
  // Rewriting in place is only safe when no other view can see the block.
  if (!m_pStorage || m_pStorage.use_count() > 1) {
    m_nLength = 0;
    m_pStorage.reset();
    if (text.empty()) return;
    Detach(text.size());
  }
  m_pStorage->Reserve(text.size());
  if (!text.empty()) std::memcpy(m_pStorage->m_pData, text.data(), text.size() * sizeof(char16_t));
  m_nLength = text.size();
  m_pStorage->m_nFrontier = m_nLength;
}

void CSharedText::Append(std::u16string_view text) {
  if (text.empty()) return;
  if (Holds(text)) {
    std::u16string copy(text);
    Append(copy);
    return;
  }
  size_t nNew = m_nLength + text.size();
  if (!m_pStorage) {
    Detach(nNew);
  } else if (m_pStorage->m_nFrontier != m_nLength && m_pStorage.use_count() > 1) {
    // Another view already shows units past our end: fork.
    Detach(nNew);
  }
  // Otherwise every other view ends at or before this one and sees none of
  // the new units.
  m_pStorage->Reserve(nNew);
  std::memcpy(m_pStorage->m_pData + m_nLength, text.data(), text.size() * sizeof(char16_t));
  m_nLength = nNew;
  m_pStorage->m_nFrontier = m_nLength;
}

void CSharedText::Clear() {
  if (m_pStorage && m_pStorage.use_count() == 1) {
    m_pStorage->m_nFrontier = 0;
  } else {
    m_pStorage.reset();
  }
  m_nLength = 0;
}

}  // namespace win
