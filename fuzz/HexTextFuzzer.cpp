// Send as Hex's reading of a text: a good text reads whole, in pieces of any
// size, to bytes that read back the same when written as pairs; a bad one
// names a character of the text at the position a person counts.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "HexText.h"

namespace {

// The first byte picks raw UTF-16 or an alphabet near hex, where good texts are common.
std::u16string TextOf(const uint8_t* pData, size_t nSize) {
  std::u16string text;
  if (nSize > 0 && pData[0] & 1) {
    constexpr char16_t kAlphabet[] = u"0123456789abcdefABCDEFxX ,\tG;\U0001F600";
    constexpr size_t nLetters = sizeof kAlphabet / sizeof kAlphabet[0] - 1;
    for (size_t i = 1; i < nSize; ++i) text += kAlphabet[pData[i] % nLetters];
  } else {
    for (size_t i = 1; i + 1 < nSize; i += 2) text += static_cast<char16_t>(pData[i] | (pData[i + 1] << 8));
  }
  return text;
}

// Characters as a person counts them: a surrogate pair is one.
size_t Characters(std::u16string_view text) {
  size_t n = 0;
  for (size_t i = 0; i < text.size(); ++i)
    if (!(i > 0 && text[i] >= 0xDC00 && text[i] <= 0xDFFF && text[i - 1] >= 0xD800 && text[i - 1] <= 0xDBFF)) ++n;
  return n;
}

std::vector<uint8_t> ReadAll(std::u16string_view text, size_t nBytes, size_t nPiece) {
  std::vector<uint8_t> bytes(nBytes);
  size_t nPos = 0, nRead = 0;
  while (nRead < nBytes) {
    size_t n = ReadHexBytes(text, &nPos, bytes.data() + nRead, std::min(nPiece, nBytes - nRead));
    Check(n > 0, "a good text gives every byte it counted");
    nRead += n;
  }
  // A text of separators alone gives no bytes, so nothing of it is read.
  Check(nBytes == 0 || nPos == text.size(), "reading a good text ends at its end");
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
  std::u16string text = TextOf(pData, nSize);
  CHexReading reading = CheckHexText(text);
  if (reading.error) {
    const CHexError& error = *reading.error;
    Check(error.nPosition >= 1 && error.nPosition <= Characters(text), "the position is a character of the text");
    Check(!error.units.empty() && error.units.data() >= text.data() &&
              error.units.data() + error.units.size() <= text.data() + text.size(),
          "the bad character is the text's own");
    Check(Characters(std::u16string_view(text.data(), error.units.data() - text.data())) + 1 == error.nPosition,
          "the position counts the characters before it");
    return 0;
  }
  Check(reading.nBytes <= text.size() / 2, "each byte takes two digits");
  size_t nPiece = nSize > 0 ? pData[nSize - 1] % 7 + 1 : 1;
  std::vector<uint8_t> bytes = ReadAll(text, reading.nBytes, nPiece);
  Check(ReadAll(text, reading.nBytes, reading.nBytes + 1) == bytes, "pieces of any size give the same bytes");

  std::u16string written;
  constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  for (uint8_t b : bytes) written += {kDigits[b >> 4], kDigits[b & 15], u' '};
  CHexReading again = CheckHexText(written);
  Check(!again.error && again.nBytes == bytes.size(), "bytes written as pairs read as good");
  Check(ReadAll(written, bytes.size(), 3) == bytes, "bytes written as pairs read back the same");
  return 0;
}
