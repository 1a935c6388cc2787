#include "EditForm.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace win {

namespace {

bool IsLead(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsTrail(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
bool IsBreak(char16_t c) { return c == u'\r' || c == u'\n'; }

void AppendUtf16(std::u16string& out, char32_t c) {
  if (c >= 0x10000) {
    out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
    out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
  } else {
    out += static_cast<char16_t>(c);
  }
}

}  // namespace

std::optional<uint8_t> ByteOf(char16_t unit) {
  if (unit <= 0xFF) return static_cast<uint8_t>(unit);
  if (unit == u'\u2400') return uint8_t{0};
  return std::nullopt;
}

SHexRow HexRowAt(const CAppendTimes& times, size_t nLength, size_t nPos, size_t nRowUnits) {
  if (nLength == 0) return {};
  nPos = std::min(nPos, nLength - 1);
  size_t nBlock = times.BlockStart(nPos);
  size_t nStart = nBlock + (nPos - nBlock) / nRowUnits * nRowUnits;
  return {nStart, std::min({nStart + nRowUnits, times.NextBlockStart(nPos), nLength})};
}

char32_t HexColumnChar(const CTextRange& text, const SHexRow& row, size_t i) {
  char16_t c = text[i];
  if (std::optional<uint8_t> byte = ByteOf(c)) {
    if (*byte < 0x20) return U'\u2400' + *byte;
    if (*byte == 0x7F) return U'\u2421';
    if ((*byte >= 0x80 && *byte <= 0xA0) || *byte == 0xAD) return U'.';
    return *byte;
  }
  if (IsLead(c) && i + 1 < row.nEnd && IsTrail(text[i + 1]))
    return 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (static_cast<char32_t>(text[i + 1]) - 0xDC00);
  if (IsTrail(c) && i > row.nStart && IsLead(text[i - 1])) return 0;
  if (IsLead(c) || IsTrail(c)) return U'.';
  return c;
}

std::u16string HexRowText(const CTextRange& text, const SHexRow& row, size_t nRowUnits) {
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  std::u16string out;
  for (size_t i = row.nStart; i < row.nEnd; ++i) {
    if (std::optional<uint8_t> byte = ByteOf(text[i])) {
      out += kDigits[*byte >> 4];
      out += kDigits[*byte & 0xF];
    } else {
      out += u"??";
    }
    out += u' ';
  }
  out.resize(std::max(out.size(), HexColumnCell(nRowUnits)), u' ');
  for (size_t i = row.nStart; i < row.nEnd; ++i)
    if (char32_t c = HexColumnChar(text, row, i)) AppendUtf16(out, c);
  return out;
}

std::u16string FormatTime(int64_t nWallMs) {
  auto nSeconds = static_cast<time_t>(nWallMs >= 0 ? nWallMs / 1000 : (nWallMs - 999) / 1000);
  int nMs = static_cast<int>(nWallMs - static_cast<int64_t>(nSeconds) * 1000);
  tm local{};
  localtime_r(&nSeconds, &local);
  char ach[16];
  std::snprintf(ach, sizeof ach, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min, local.tm_sec, nMs);
  return std::u16string(ach, ach + 12);
}

std::u16string FormText(const CTextRange& text, const CAppendTimes& times, SEditForm form, size_t nStart, size_t nEnd,
                        size_t nRowUnits) {
  nEnd = std::min(nEnd, text.size());
  std::u16string out;
  if (form.bHex) {
    for (size_t nPos = nStart; nPos < nEnd;) {
      SHexRow row = HexRowAt(times, text.size(), nPos, nRowUnits);
      if (!out.empty()) out += u'\n';
      if (form.bTimes) out.append(FormatTime(times.TimeAt(row.nStart))).append(u" ");
      std::u16string shown = HexRowText(text, {nPos, std::min(row.nEnd, nEnd)}, nRowUnits);
      // A row's last blanks show nothing.
      out.append(shown.substr(0, shown.find_last_not_of(u' ') + 1));
      nPos = row.nEnd;
    }
    return out;
  }
  if (!form.bTimes) return text.substr(nStart, nEnd - nStart).ToString();
  size_t nLine = nStart;
  while (nLine > 0 && !IsBreak(text[nLine - 1])) --nLine;
  out.append(FormatTime(times.TimeAt(nLine))).append(u" ");
  for (size_t i = nStart; i < nEnd; ++i) {
    out += text[i];
    bool bEnds = text[i] == u'\n' || (text[i] == u'\r' && (i + 1 >= text.size() || text[i + 1] != u'\n'));
    if (bEnds && i + 1 < nEnd) out.append(FormatTime(times.TimeAt(i + 1))).append(u" ");
  }
  return out;
}

}  // namespace win
