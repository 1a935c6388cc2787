// UTF-16 text on append-only shared storage.
//
// A CSharedText is a view of the first Length() units of a storage block.
// Units before the longest length ever written to a block never change while
// more than one view holds it, so views of one block agree on their common
// prefix. That lets a string and a window share one copy of a growing record,
// and lets a window tell in constant time that its new text only extends the
// old one. A View() is valid until the next change to any view of its block.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

namespace win {

class CSharedText {
 public:
  CSharedText() = default;
  explicit CSharedText(std::u16string_view text);

  std::u16string_view View() const;
  size_t Length() const { return m_nLength; }
  bool IsEmpty() const { return m_nLength == 0; }

  void Assign(std::u16string_view text);
  void Append(std::u16string_view text);
  void Clear();

  // True when both views are of the same storage: the shorter is then a
  // prefix of the longer.
  bool SharesStorageWith(const CSharedText& other) const;

  // Units allocated for this view's storage (for memory accounting).
  size_t Capacity() const;

 private:
  struct Storage;
  void Detach(size_t nMinCapacity);
  bool Holds(std::u16string_view text) const;

  std::shared_ptr<Storage> m_pStorage;
  size_t m_nLength = 0;
};

}  // namespace win
