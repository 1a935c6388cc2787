// Texts of the tests as the units and bytes the program handles.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// UTF-16 from an ASCII text.
inline std::u16string U16(std::string_view text) { return std::u16string(text.begin(), text.end()); }
// The bytes of a text, without a terminating NUL.
inline std::vector<uint8_t> Bytes(std::string_view text) { return std::vector<uint8_t>(text.begin(), text.end()); }
