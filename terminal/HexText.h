// Text read as bytes by their hex values: pairs of hex digits in either
// case, each pair may be led by 0x or 0X, with blanks, tabs and commas
// allowed before, between and after the pairs. "01 03,0x0A" is 01 03 0A.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

// The first character that keeps a text from being read as hex: the units
// it takes, and its position as a person counts characters, from 1.
struct CHexError {
  enum EKind { NotHexDigit, LoneDigit };
  std::u16string_view units;
  size_t nPosition;
  EKind kind;
};

struct CHexReading {
  size_t nBytes = 0;  // the bytes the text gives, when it has no error
  std::optional<CHexError> error;
};
CHexReading CheckHexText(std::u16string_view text);

// Reads up to nMax bytes of a text that CheckHexText found good, from *pnPos
// on, into pBytes, and moves *pnPos past them and the separators after them
// (to the text's end after its last byte). Answers how many it read.
size_t ReadHexBytes(std::u16string_view text, size_t* pnPos, uint8_t* pBytes, size_t nMax);
