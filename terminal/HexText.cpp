#include "HexText.h"

namespace {

bool IsSeparator(char16_t c) { return c == u' ' || c == u'\t' || c == u','; }

int HexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

size_t SkipSeparators(std::u16string_view text, size_t i) {
  while (i < text.size() && IsSeparator(text[i])) ++i;
  return i;
}

// One pair at i, after its 0x if it has one: its byte and where it ends, or
// the index of the character that is wrong and how.
struct SPair {
  size_t nNext;
  uint8_t byte;
  std::optional<CHexError::EKind> error;
};

SPair ScanPair(std::u16string_view text, size_t i) {
  // 0x counts as a prefix only before a digit, so "0x" alone is a bad x.
  if (i + 2 < text.size() && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X') &&
      HexValue(text[i + 2]) >= 0)
    i += 2;
  int nHigh = HexValue(text[i]);
  if (nHigh < 0) return {i, 0, CHexError::NotHexDigit};
  if (i + 1 >= text.size() || IsSeparator(text[i + 1])) return {i, 0, CHexError::LoneDigit};
  int nLow = HexValue(text[i + 1]);
  if (nLow < 0) return {i + 1, 0, CHexError::NotHexDigit};
  return {i + 2, static_cast<uint8_t>(nHigh << 4 | nLow), std::nullopt};
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

CHexError ErrorAt(std::u16string_view text, size_t nAt, CHexError::EKind kind) {
  size_t nPosition = 1;
  for (size_t i = 0; i < nAt; ++i)
    if (!(IsLowSurrogate(text[i]) && i > 0 && IsHighSurrogate(text[i - 1]))) ++nPosition;
  bool bPair = IsHighSurrogate(text[nAt]) && nAt + 1 < text.size() && IsLowSurrogate(text[nAt + 1]);
  return CHexError{text.substr(nAt, bPair ? 2 : 1), nPosition, kind};
}

}  // namespace

CHexReading CheckHexText(std::u16string_view text) {
  CHexReading reading;
  for (size_t i = SkipSeparators(text, 0); i < text.size(); i = SkipSeparators(text, i)) {
    SPair pair = ScanPair(text, i);
    if (pair.error) {
      reading.error = ErrorAt(text, pair.nNext, *pair.error);
      return reading;
    }
    ++reading.nBytes;
    i = pair.nNext;
  }
  return reading;
}

size_t ReadHexBytes(std::u16string_view text, size_t* pnPos, uint8_t* pBytes, size_t nMax) {
  size_t n = 0;
  size_t i = SkipSeparators(text, *pnPos);
  for (; n < nMax && i < text.size(); i = SkipSeparators(text, i)) {
    SPair pair = ScanPair(text, i);
    if (pair.error) break;
    pBytes[n++] = pair.byte;
    i = pair.nNext;
  }
  *pnPos = i;
  return n;
}
