#include "TextConversion.h"

#include <algorithm>
#include <limits>

namespace {

bool IsSpace(uint8_t c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

std::u16string_view Trim(std::u16string_view text) {
  while (!text.empty() && text.front() < 0x80 && IsSpace(static_cast<uint8_t>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && text.back() < 0x80 && IsSpace(static_cast<uint8_t>(text.back()))) text.remove_suffix(1);
  return text;
}

// A run of decimal digits and nothing else, up to a limit.
std::optional<uint64_t> ParseNumber(std::u16string_view text, uint64_t nMax) {
  if (text.empty()) return std::nullopt;
  uint64_t value = 0;
  for (char16_t c : text) {
    if (!IsDigit(c)) return std::nullopt;
    value = value * 10 + (c - u'0');
    if (value > nMax) return std::nullopt;
  }
  return value;
}

}  // namespace

std::optional<CWideCharacter> FindWideCharacter(std::u16string_view text) {
  size_t nPosition = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    ++nPosition;
    char16_t ch = text[i];
    if (ch <= 0xFF) continue;
    bool bPair = ch >= 0xD800 && ch <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
    if (!bPair) return CWideCharacter{text.substr(i, 1), ch, nPosition};
    char32_t codePoint = 0x10000 + ((char32_t{ch} - 0xD800) << 10) + (char32_t{text[i + 1]} - 0xDC00);
    return CWideCharacter{text.substr(i, 2), codePoint, nPosition};
  }
  return std::nullopt;
}

int32_t ParseInterval(std::u16string_view text) {
  size_t i = 0;
  while (i < text.size() && IsSpace(Narrow(text[i]))) ++i;
  bool bNegative = false;
  if (i < text.size() && (Narrow(text[i]) == '+' || Narrow(text[i]) == '-')) bNegative = Narrow(text[i++]) == '-';
  // Accumulated as a magnitude up to one past the largest, then saturated.
  constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  int64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    uint8_t c = Narrow(text[i]);
    if (c < '0' || c > '9') break;
    magnitude = std::min(magnitude * 10 + (c - '0'), kLimit);
  }
  if (bNegative) return static_cast<int32_t>(-magnitude);
  return static_cast<int32_t>(std::min<int64_t>(magnitude, std::numeric_limits<int32_t>::max()));
}

std::optional<uint8_t> ParsePortText(std::u16string_view text) {
  text = Trim(text);
  if (text.size() < 4) return std::nullopt;
  auto upper = [](char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; };
  if (upper(text[0]) != u'C' || upper(text[1]) != u'O' || upper(text[2]) != u'M') return std::nullopt;
  auto n = ParseNumber(text.substr(3), 10);
  if (!n || *n < 1) return std::nullopt;
  return static_cast<uint8_t>(*n);
}

std::optional<uint32_t> ParseBaudText(std::u16string_view text) {
  auto n = ParseNumber(Trim(text), std::numeric_limits<uint32_t>::max());
  if (!n || *n == 0) return std::nullopt;
  return static_cast<uint32_t>(*n);
}

std::optional<int8_t> ParseDataBitsText(std::u16string_view text) {
  auto n = ParseNumber(Trim(text), 8);
  if (!n || *n < 5) return std::nullopt;
  return static_cast<int8_t>(*n);
}
