// Conversions between text on the screen (UTF-16) and bytes on the wire.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

// A character goes out as its low 8 bits.
constexpr uint8_t Narrow(char16_t ch) { return static_cast<uint8_t>(ch & 0xFF); }

// The first character of a text that a serial line cannot carry as one byte
// (beyond U+00FF): the units it takes, its code point, and its position as a
// person counts characters, from 1, a character beyond the BMP being one.
struct CWideCharacter {
  std::u16string_view units;
  char32_t codePoint;
  size_t nPosition;
};
std::optional<CWideCharacter> FindWideCharacter(std::u16string_view text);

// A byte shows as the character of the same value (Latin-1), so that text
// sent and echoed back reads the same.
constexpr char16_t Widen(uint8_t byte) { return static_cast<char16_t>(byte); }

// A received zero byte shows as SYMBOL FOR NULL, so that it is seen and
// nothing after it is lost.
constexpr char16_t WidenReceived(uint8_t byte) { return byte == 0 ? u'\u2400' : Widen(byte); }

// Reads an interval as a decimal integer after narrowing each character:
// leading white space, an optional sign, then digits up to the first other
// character. No digits give 0; values beyond 32 bits saturate.
int32_t ParseInterval(std::u16string_view text);

// Values typed into a list's field.
std::optional<uint8_t> ParsePortText(std::u16string_view text);     // "COM1" to "COM10"
std::optional<uint32_t> ParseBaudText(std::u16string_view text);    // a positive number
std::optional<int8_t> ParseDataBitsText(std::u16string_view text);  // 5 to 8
