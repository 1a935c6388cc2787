// A read-only range of a shared text's units, read the way a
// std::u16string_view is. It keeps the units it covers alive and unchanged
// (the text's owner appends past them or forks, never rewrites them), so a
// range may be held, as the clipboard holds a copied selection. Read a unit
// with [], pieces with ForEachPiece (bytes stay bytes), or copy a short
// range out with ToString.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "TextStore.h"

namespace win {

class CTextRange {
 public:
  static constexpr size_t npos = std::u16string_view::npos;

  CTextRange() = default;
  // A range of a copy of text.
  CTextRange(std::u16string_view text);
  CTextRange(const char16_t* psz) : CTextRange(std::u16string_view(psz)) {}
  CTextRange(std::shared_ptr<const CTextStore> pStore, size_t nStart, size_t nLength)
      : m_pStore(std::move(pStore)), m_nStart(nStart), m_nLength(nLength) {}

  size_t size() const { return m_nLength; }
  bool empty() const { return m_nLength == 0; }
  char16_t operator[](size_t i) const { return m_pStore->At(m_nStart + i); }
  // Throws std::out_of_range past the end, as std::u16string_view does.
  CTextRange substr(size_t nPos, size_t n = npos) const;

  std::u16string ToString() const;
  // Reads the range in pieces, each at its position in the range; false
  // when fn stopped.
  bool ForEachPiece(const TextPieceFn& fn) const;

  const std::shared_ptr<const CTextStore>& Store() const { return m_pStore; }
  size_t Start() const { return m_nStart; }

  friend bool operator==(const CTextRange& a, const CTextRange& b);
  friend bool operator==(const CTextRange& a, std::u16string_view b);
  friend bool operator==(const CTextRange& a, const char16_t* b) { return a == std::u16string_view(b); }

 private:
  std::shared_ptr<const CTextStore> m_pStore;
  size_t m_nStart = 0;
  size_t m_nLength = 0;
};

// Unit i of a piece.
inline char16_t UnitOf(const STextPiece& piece, size_t i) {
  if (piece.pWide) return piece.pWide[i];
  return piece.pNarrow[i] ? piece.pNarrow[i] : kZeroByteUnit;
}

}  // namespace win
