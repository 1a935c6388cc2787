#include "TextRange.h"

#include <algorithm>
#include <stdexcept>

namespace win {

namespace {

template <typename T>
bool SameUnits(const CTextRange& a, const T& b) {
  if (a.size() != b.size()) return false;
  return a.ForEachPiece([&](const STextPiece& piece) {
    for (size_t i = 0; i < piece.nCount; ++i)
      if (UnitOf(piece, i) != b[piece.nPos + i]) return false;
    return true;
  });
}

}  // namespace

CTextRange::CTextRange(std::u16string_view text) : m_nLength(text.size()) {
  if (text.empty()) return;
  auto pStore = std::make_shared<CTextStore>();
  pStore->Append(text);
  m_pStore = std::move(pStore);
}

CTextRange CTextRange::substr(size_t nPos, size_t n) const {
  if (nPos > m_nLength) throw std::out_of_range("CTextRange::substr");
  return CTextRange(m_pStore, m_nStart + nPos, std::min(n, m_nLength - nPos));
}

bool CTextRange::ForEachPiece(const TextPieceFn& fn) const {
  return empty() || m_pStore->ForEachPiece(m_nStart, m_nLength, fn);
}

std::u16string CTextRange::ToString() const {
  std::u16string text;
  text.reserve(m_nLength);
  ForEachPiece([&](const STextPiece& piece) {
    if (piece.pWide)
      text.append(piece.pWide, piece.nCount);
    else
      for (size_t i = 0; i < piece.nCount; ++i) text += UnitOf(piece, i);
    return true;
  });
  return text;
}

bool operator==(const CTextRange& a, std::u16string_view b) { return SameUnits(a, b); }

bool operator==(const CTextRange& a, const CTextRange& b) { return SameUnits(a, b); }

}  // namespace win
