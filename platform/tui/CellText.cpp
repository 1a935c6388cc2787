#include "CellText.h"

#include <algorithm>
#include <cwchar>

#include "SystemText.h"

namespace tui {

char32_t ShownChar(char32_t c) {
  if (c < 0x20 || c == 0x7F) return ControlPicture(c);
  if (c >= 0x80 && c < 0xA0) return kPlaceholder;
  if (c >= 0xD800 && c < 0xE000) return kPlaceholder;  // a lone surrogate
  int n = ::wcwidth(static_cast<wchar_t>(c));
  return n == 1 || n == 2 ? c : kPlaceholder;
}

int CellWidth(char32_t shown) { return ::wcwidth(static_cast<wchar_t>(shown)) == 2 ? 2 : 1; }

int TextCells(std::u16string_view text) {
  int n = 0;
  for (size_t i = 0; i < text.size();) n += CellWidth(ShownChar(NextChar(text, i)));
  return n;
}

std::vector<std::u16string_view> WrapWords(std::u16string_view text, int nCells) {
  std::vector<std::u16string_view> lines;
  nCells = std::max(1, nCells);
  size_t nStart = 0;
  while (nStart < text.size()) {
    size_t i = nStart, nBreak = std::u16string_view::npos;
    int nUsed = 0;
    while (i < text.size() && text[i] != u'\n') {
      size_t nAt = i;
      int nWidth = CellWidth(ShownChar(NextChar(text, i)));
      if (nUsed + nWidth > nCells && text[nAt] != u' ') {
        i = nAt;
        break;
      }
      nUsed += nWidth;
      if (text[nAt] == u' ') nBreak = i;
    }
    size_t nEnd = i;
    bool bCut = i < text.size() && text[i] != u'\n';
    // A word longer than a line is cut anyway: it starts on this one.
    if (bCut && nBreak != std::u16string_view::npos) {
      size_t nWordEnd = std::min(text.find_first_of(u" \n", nBreak), text.size());
      if (TextCells(text.substr(nBreak, nWordEnd - nBreak)) <= nCells) nEnd = nBreak;
    }
    if (nEnd == nStart) NextChar(text, nEnd);  // at least one character a line
    size_t nNext = nEnd;
    if (nNext < text.size() && text[nNext] == u'\n') ++nNext;
    while (nEnd > nStart && text[nEnd - 1] == u' ') --nEnd;
    lines.push_back(text.substr(nStart, nEnd - nStart));
    nStart = nNext;
  }
  return lines;
}

int WrapCells(std::u16string_view text, int nLines) {
  const int nOneLine = TextCells(text);
  // No word is cut.
  int nLongestWord = 1;
  for (size_t nStart = 0; nStart < text.size();) {
    size_t nEnd = std::min(text.find_first_of(u" \n", nStart), text.size());
    nLongestWord = std::max(nLongestWord, TextCells(text.substr(nStart, nEnd - nStart)));
    nStart = nEnd + 1;
  }
  for (int n = std::max(nLongestWord, nOneLine / std::max(1, nLines)); n < nOneLine; ++n)
    if (static_cast<int>(WrapWords(text, n).size()) <= nLines) return n;
  return nOneLine;
}

}  // namespace tui
