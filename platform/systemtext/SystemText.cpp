#include "SystemText.h"

#include <cstdint>
#include <cstring>

namespace {

void AppendUnit(std::u16string& strOut, uint32_t nCodePoint) {
  if (nCodePoint >= 0x10000) {
    nCodePoint -= 0x10000;
    strOut.push_back(static_cast<char16_t>(0xD800 + (nCodePoint >> 10)));
    strOut.push_back(static_cast<char16_t>(0xDC00 + (nCodePoint & 0x3FF)));
  } else {
    strOut.push_back(static_cast<char16_t>(nCodePoint));
  }
}

}  // namespace

std::u16string WidenUtf8(std::string_view strText) {
  std::u16string strOut;
  strOut.reserve(strText.size());
  size_t i = 0;
  while (i < strText.size()) {
    const auto nLead = static_cast<unsigned char>(strText[i]);
    size_t nTrail = 0;
    uint32_t nCodePoint = nLead;
    uint32_t nMinimum = 0;
    if (nLead >= 0xF0 && nLead <= 0xF4) {
      nTrail = 3;
      nCodePoint = nLead & 0x07;
      nMinimum = 0x10000;
    } else if (nLead >= 0xE0 && nLead <= 0xEF) {
      nTrail = 2;
      nCodePoint = nLead & 0x0F;
      nMinimum = 0x800;
    } else if (nLead >= 0xC2 && nLead <= 0xDF) {
      nTrail = 1;
      nCodePoint = nLead & 0x1F;
      nMinimum = 0x80;
    } else if (nLead >= 0x80) {
      strOut.push_back(u'\uFFFD');
      ++i;
      continue;
    }
    size_t nTaken = 1;
    while (nTaken <= nTrail && i + nTaken < strText.size() &&
           (static_cast<unsigned char>(strText[i + nTaken]) & 0xC0) == 0x80) {
      nCodePoint = (nCodePoint << 6) | (static_cast<unsigned char>(strText[i + nTaken]) & 0x3F);
      ++nTaken;
    }
    const bool bSurrogate = nCodePoint >= 0xD800 && nCodePoint <= 0xDFFF;
    if (nTaken != nTrail + 1 || nCodePoint < nMinimum || nCodePoint > 0x10FFFF || bSurrogate)
      strOut.push_back(u'\uFFFD');
    else
      AppendUnit(strOut, nCodePoint);
    i += nTaken;
  }
  return strOut;
}

char32_t ControlPicture(char32_t c) {
  if (c < 0x20) return U'\u2400' + c;
  return c == 0x7F ? U'\u2421' : c;
}

std::string ShowControls(std::string_view strText) {
  std::string strOut;
  strOut.reserve(strText.size());
  const auto hex = [&](unsigned char c) {
    static constexpr char kHex[] = "0123456789abcdef";
    strOut += {'\\', 'x', kHex[c >> 4], kHex[c & 0x0F]};
  };
  for (size_t i = 0; i < strText.size();) {
    const auto c = static_cast<unsigned char>(strText[i]);
    if (c < 0x20 || c == 0x7F) {
      // The pictures are U+2400 to U+2421: E2 90 80 to E2 90 A1.
      const char32_t picture = ControlPicture(c);
      strOut += {'\xE2', '\x90', static_cast<char>(0x80 + (picture & 0x3F))};
      ++i;
      continue;
    }
    const size_t nLength = c < 0x80 ? 1 : c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 0;
    bool bWhole = nLength != 0 && i + nLength <= strText.size();
    for (size_t k = 1; bWhole && k < nLength; ++k) bWhole = (static_cast<unsigned char>(strText[i + k]) & 0xC0) == 0x80;
    if (!bWhole) {
      hex(c);
      ++i;
    } else if (c == 0xC2 && static_cast<unsigned char>(strText[i + 1]) < 0xA0) {
      hex(static_cast<unsigned char>(strText[i + 1]));  // a C1 control character, U+0080 to U+009F
      i += 2;
    } else {
      strOut.append(strText.substr(i, nLength));
      i += nLength;
    }
  }
  return strOut;
}

std::string SystemError(int nErrno) {
  char szBuffer[256];
  return strerror_r(nErrno, szBuffer, sizeof szBuffer);
}
