#include "SharedText.h"

namespace win {

CSharedText::CSharedText(std::u16string_view text) { Append(text); }

size_t CSharedText::ResidentBytes() const { return m_pStore ? m_pStore->ResidentBytes() : 0; }

bool CSharedText::SharesStorageWith(const CSharedText& other) const { return m_pStore && m_pStore == other.m_pStore; }

void CSharedText::PrepareAppend() {
  if (!m_pStore) {
    m_pStore = std::make_shared<CTextStore>();
  } else if (m_pStore->Length() != m_nLength) {
    if (m_pStore.use_count() == 1) {
      m_pStore->Truncate(m_nLength);
    } else {
      // Another view or range already shows units past our end: fork.
      auto pStore = std::make_shared<CTextStore>();
      pStore->AppendFrom(*m_pStore, 0, m_nLength);
      m_pStore = std::move(pStore);
    }
  }
  // Otherwise every other view ends at or before this one and sees none of
  // the new units.
}

void CSharedText::Assign(std::u16string_view text) {
  Clear();
  Append(text);
}

void CSharedText::Assign(const CTextRange& text) {
  if (text.Start() == 0 && text.Store()) {
    m_pStore = std::const_pointer_cast<CTextStore>(text.Store());
    m_nLength = text.size();
    return;
  }
  if (text.Store() == m_pStore) {
    Assign(text.ToString());
    return;
  }
  Clear();
  Append(text);
}

void CSharedText::Append(std::u16string_view text) {
  if (text.empty()) return;
  PrepareAppend();
  m_pStore->Append(text);
  m_nLength = m_pStore->Length();
}

void CSharedText::Append(const CTextRange& text) {
  if (text.empty()) return;
  PrepareAppend();
  m_pStore->AppendFrom(*text.Store(), text.Start(), text.size());
  m_nLength = m_pStore->Length();
}

void CSharedText::Clear() {
  // Rewriting in place is only safe when no other view can see the store.
  if (m_pStore && m_pStore.use_count() == 1)
    m_pStore->Truncate(0);
  else
    m_pStore.reset();
  m_nLength = 0;
}

}  // namespace win
