// The forms a record box shows its text in, and what they make of it: text
// as it is, or hex rows of up to kHexRowUnits units (fewer in a box too
// narrow for them; a row also ends where a block begins after a pause), each
// with or without the time its first unit came. Views draw the rows; copy
// gives them as text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "AppendTimes.h"
#include "TextRange.h"

namespace win {

constexpr size_t kHexRowUnits = 16;

// Units [nStart, nEnd) of the text.
struct SHexRow {
  size_t nStart = 0;
  size_t nEnd = 0;
};

// The byte a unit of a record stands for: U+0000 to U+00FF that byte, and
// U+2400, which a received zero byte shows as, 00. None for a unit no byte
// gives (text a person typed).
std::optional<uint8_t> ByteOf(char16_t unit);

// The hex row of up to nRowUnits units that holds nPos in a text of nLength
// units; the text's end is on its last row.
SHexRow HexRowAt(const CAppendTimes& times, size_t nLength, size_t nPos, size_t nRowUnits);

// What the character column of row shows for the unit at i: a picture for a
// control byte, a dot for a byte with no glyph, a typed character as it is
// (a surrogate pair at its first unit, 0 at its second).
char32_t HexColumnChar(const CTextRange& text, const SHexRow& row, size_t i);

// Where the character column starts, in the cells of one hex digit: the
// digits of a full row of nRowUnits and their blanks, then one more.
constexpr size_t HexColumnCell(size_t nRowUnits) { return 3 * nRowUnits + 1; }

// A row as shown: the units' digits, "??" for a unit no byte gives, with a
// blank after each, padded to a full row's of nRowUnits, a blank, then the
// characters.
std::u16string HexRowText(const CTextRange& text, const SHexRow& row, size_t nRowUnits);

// A wall time as the local hh:mm:ss.mmm.
std::u16string FormatTime(int64_t nWallMs);

// How a record box shows its text.
struct SEditForm {
  bool bHex = false;
  bool bTimes = false;
  friend bool operator==(const SEditForm&, const SEditForm&) = default;
};

// Units [nStart, nEnd) of text as form shows them: in hex form the rows of
// nRowUnits they are on, in text form the text itself; with times each line
// or row led by its time and a blank.
std::u16string FormText(const CTextRange& text, const CAppendTimes& times, SEditForm form, size_t nStart, size_t nEnd,
                        size_t nRowUnits);

}  // namespace win
