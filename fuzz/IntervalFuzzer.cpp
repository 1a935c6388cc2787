// The interval text against the C library's reading of the narrowed text.
#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzCheck.h"
#include "TextConversion.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
  std::u16string text;
  std::string narrowed;
  for (size_t i = 0; i + 1 < nSize; i += 2) {
    auto ch = static_cast<char16_t>(pData[i] | (pData[i + 1] << 8));
    text += ch;
    narrowed += static_cast<char>(ch & 0xFF);
  }
  // strtoll stops at the first zero byte, where the parser stops too.
  long long nReference = std::strtoll(narrowed.c_str(), nullptr, 10);
  nReference = std::max<long long>(INT32_MIN, std::min<long long>(INT32_MAX, nReference));
  Check(ParseInterval(text) == nReference, "the interval reads as a saturated decimal integer");
  return 0;
}
