#include "CellText.h"

#include <cwchar>

namespace tui {

char32_t ShownChar(char32_t c) {
  if (c < 0x20) return U'\u2400' + c;
  if (c == 0x7F) return U'\u2421';
  if (c >= 0x80 && c < 0xA0) return kPlaceholder;
  if (c >= 0xD800 && c < 0xE000) return kPlaceholder;  // a lone surrogate
  int n = ::wcwidth(static_cast<wchar_t>(c));
  return n == 1 || n == 2 ? c : kPlaceholder;
}

int CellWidth(char32_t shown) { return ::wcwidth(static_cast<wchar_t>(shown)) == 2 ? 2 : 1; }

char32_t NextChar(std::u16string_view text, size_t& i) {
  char32_t c = text[i++];
  if (c >= 0xD800 && c < 0xDC00 && i < text.size() && text[i] >= 0xDC00 && text[i] < 0xE000)
    c = 0x10000 + ((c - 0xD800) << 10) + (text[i++] - 0xDC00);
  return c;
}

int TextCells(std::u16string_view text) {
  int n = 0;
  for (size_t i = 0; i < text.size();) n += CellWidth(ShownChar(NextChar(text, i)));
  return n;
}

}  // namespace tui
