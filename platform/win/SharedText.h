// UTF-16 text on append-only shared storage.
//
// A CSharedText is a view of the first Length() units of a store. Units
// before the longest length ever written to a store never change while
// more than one view or range holds it, so views of one store agree on
// their common prefix. That lets a string and a window share one copy of a
// growing record, and lets a window tell in constant time that its new text
// only extends the old one. The store keeps received text at a byte a unit
// and moves a large text's older units to a file (TextStore.h).
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

#include "TextRange.h"

namespace win {

class CSharedText {
 public:
  CSharedText() = default;
  explicit CSharedText(std::u16string_view text);

  CTextRange View() const { return CTextRange(m_pStore, 0, m_nLength); }
  size_t Length() const { return m_nLength; }
  bool IsEmpty() const { return m_nLength == 0; }

  void Assign(std::u16string_view text);
  void Assign(const char16_t* psz) { Assign(std::u16string_view(psz)); }
  // A range from a text's start shares its store; any other is copied.
  void Assign(const CTextRange& text);
  void Append(std::u16string_view text);
  void Append(const char16_t* psz) { Append(std::u16string_view(psz)); }
  void Append(const CTextRange& text);
  void Clear();

  // True when both views are of the same storage: the shorter is then a
  // prefix of the longer.
  bool SharesStorageWith(const CSharedText& other) const;

  // Bytes this view's store holds in memory (for memory accounting).
  size_t ResidentBytes() const;

 private:
  // Makes the store ready to take units after this view's end.
  void PrepareAppend();

  std::shared_ptr<CTextStore> m_pStore;
  size_t m_nLength = 0;
};

}  // namespace win
