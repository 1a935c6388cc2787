#include "TextSelection.h"

namespace win {

namespace {

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

enum class EKind { Blank, Break, Word, Sign };

EKind KindOf(char16_t c) {
  if (c == u' ' || c == u'\t') return EKind::Blank;
  if (c == u'\r' || c == u'\n') return EKind::Break;
  if ((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_' || c >= 0x80)
    return EKind::Word;
  return EKind::Sign;
}

}  // namespace

size_t NextStop(const CTextRange& text, size_t nPos) {
  if (nPos >= text.size()) return text.size();
  char16_t c = text[nPos];
  size_t nNext = nPos + 1;
  if (nNext < text.size() &&
      ((c == u'\r' && text[nNext] == u'\n') || (IsHighSurrogate(c) && IsLowSurrogate(text[nNext]))))
    ++nNext;
  return nNext;
}

size_t PreviousStop(const CTextRange& text, size_t nPos) {
  if (nPos == 0) return 0;
  if (nPos > text.size()) return text.size();
  size_t nPrevious = nPos - 1;
  char16_t c = text[nPrevious];
  if (nPrevious > 0 &&
      ((c == u'\n' && text[nPrevious - 1] == u'\r') || (IsLowSurrogate(c) && IsHighSurrogate(text[nPrevious - 1]))))
    --nPrevious;
  return nPrevious;
}

std::pair<size_t, size_t> WordAround(const CTextRange& text, size_t nPos) {
  if (text.empty()) return {0, 0};
  if (nPos >= text.size()) nPos = text.size() - 1;
  EKind kind = KindOf(text[nPos]);
  if (kind == EKind::Break) {
    size_t nFirst = text[nPos] == u'\n' && nPos > 0 && text[nPos - 1] == u'\r' ? nPos - 1 : nPos;
    return {nFirst, NextStop(text, nFirst)};
  }
  size_t nFirst = nPos, nLast = nPos + 1;
  while (nFirst > 0 && KindOf(text[nFirst - 1]) == kind) --nFirst;
  while (nLast < text.size() && KindOf(text[nLast]) == kind) ++nLast;
  return {nFirst, nLast};
}

size_t NextWordStart(const CTextRange& text, size_t nPos) {
  if (nPos >= text.size()) return text.size();
  size_t n = WordAround(text, nPos).second;
  while (n < text.size() && KindOf(text[n]) == EKind::Blank) ++n;
  return n;
}

size_t PreviousWordStart(const CTextRange& text, size_t nPos) {
  if (nPos > text.size()) nPos = text.size();
  size_t n = nPos;
  while (n > 0 && KindOf(text[n - 1]) == EKind::Blank) --n;
  if (n == 0) return 0;
  return WordAround(text, n - 1).first;
}

}  // namespace win
