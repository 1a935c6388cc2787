#include "SharedText.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace win {

struct CSharedText::Storage {
  std::unique_ptr<char16_t[]> m_pData;
  size_t m_nCapacity = 0;
  // Longest length written; units below it are visible to some view.
  size_t m_nFrontier = 0;
};

CSharedText::CSharedText(std::u16string_view text) { Assign(text); }

std::u16string_view CSharedText::View() const {
  return m_pStorage ? std::u16string_view(m_pStorage->m_pData.get(), m_nLength) : std::u16string_view();
}

size_t CSharedText::Capacity() const { return m_pStorage ? m_pStorage->m_nCapacity : 0; }

bool CSharedText::SharesStorageWith(const CSharedText& other) const {
  return m_pStorage && m_pStorage == other.m_pStorage;
}

void CSharedText::Reallocate(size_t nMinCapacity) {
  // Geometric growth keeps appends amortised constant. The allocation is not
  // value-initialised, so pages beyond the text are not touched.
  size_t nCapacity = std::max<size_t>(nMinCapacity, 16);
  if (m_nLength > 0) nCapacity = std::max(nCapacity, m_nLength + m_nLength / 2);
  auto pStorage = std::make_shared<Storage>();
  pStorage->m_pData.reset(new char16_t[nCapacity]);
  pStorage->m_nCapacity = nCapacity;
  if (m_nLength > 0) std::memcpy(pStorage->m_pData.get(), m_pStorage->m_pData.get(), m_nLength * sizeof(char16_t));
  pStorage->m_nFrontier = m_nLength;
  m_pStorage = std::move(pStorage);
}

bool CSharedText::Holds(std::u16string_view text) const {
  return m_pStorage && text.data() >= m_pStorage->m_pData.get() &&
         text.data() < m_pStorage->m_pData.get() + m_pStorage->m_nCapacity;
}

void CSharedText::Assign(std::u16string_view text) {
  if (text.empty()) {
    Clear();
    return;
  }
  // Rewriting in place is only safe when no other view can see the storage.
  if (!m_pStorage || m_pStorage.use_count() > 1 || m_pStorage->m_nCapacity < text.size()) {
    if (Holds(text)) {
      std::u16string copy(text);
      Assign(copy);
      return;
    }
    m_nLength = 0;
    m_pStorage.reset();
    Reallocate(text.size());
  }
  std::memmove(m_pStorage->m_pData.get(), text.data(), text.size() * sizeof(char16_t));
  m_nLength = text.size();
  m_pStorage->m_nFrontier = m_nLength;
}

void CSharedText::Append(std::u16string_view text) {
  if (text.empty()) return;
  size_t nNew = m_nLength + text.size();
  // Appending in place is safe when this view is the longest one: every other
  // view ends at or before it and sees none of the new units.
  bool bAtFrontier = m_pStorage && (m_pStorage->m_nFrontier == m_nLength || m_pStorage.use_count() == 1);
  if (!bAtFrontier || m_pStorage->m_nCapacity < nNew) {
    // The source may live in our own storage; copy it out before reallocating.
    if (Holds(text)) {
      std::u16string copy(text);
      Append(copy);
      return;
    }
    Reallocate(nNew);
  }
  std::memcpy(m_pStorage->m_pData.get() + m_nLength, text.data(), text.size() * sizeof(char16_t));
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
