// What text looks like on a character terminal. Nothing a window holds may
// reach the terminal as a control sequence: control characters show as their
// pictures (U+2400 to U+241F, U+2421 for DEL), C1 characters and whatever
// else the terminal cannot show as one visible character as a placeholder.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace tui {

constexpr char32_t kPlaceholder = U'\uFFFD';

// The character drawn for c.
char32_t ShownChar(char32_t c);
// Cells the drawn character takes: 1 or 2.
int CellWidth(char32_t shown);
// The character at text[i], a surrogate pair joined; i moves past it. The
// text is a std::u16string_view or a shared text's range.
template <typename Text>
char32_t NextChar(const Text& text, size_t& i) {
  char32_t c = text[i++];
  if (c >= 0xD800 && c < 0xDC00 && i < text.size() && text[i] >= 0xDC00 && text[i] < 0xE000)
    c = 0x10000 + ((c - 0xD800) << 10) + (text[i++] - 0xDC00);
  return c;
}
// Cells the text takes when drawn on one line.
int TextCells(std::u16string_view text);
// The text as lines of at most nCells cells, broken after blanks and at
// line breaks; a word longer than a line is cut, beginning on the line it
// starts on. The blanks a line ends in are left off.
std::vector<std::u16string_view> WrapWords(std::u16string_view text, int nCells);
// The fewest cells a line needs for the text to wrap into nLines lines with
// no word cut, or its cells on one line when it needs no more.
int WrapCells(std::u16string_view text, int nLines);

}  // namespace tui
