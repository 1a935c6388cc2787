#include "CaptureFormat.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdio>
#include <cstring>
#include <utility>

#include "PortNumber.h"
#include "SystemText.h"

namespace tobrel {

namespace {

// A line of received bytes ends after this much of the stream, so a stream without LF
// still gives a line per tenth of a second.
constexpr std::chrono::milliseconds kLineSpan{100};

// Each byte's escape in the four bytes of a word, in memory order, and its length: a byte is
// escaped by storing its whole word and moving on by the length.
struct SEscapes {
  std::array<uint32_t, 256> aText;
  std::array<uint8_t, 256> aLength;
};

SEscapes MakeEscapes() {
  static constexpr char kHex[] = "0123456789abcdef";
  SEscapes escapes{};
  for (int i = 0; i < 256; ++i) {
    char szText[4] = {static_cast<char>(i)};
    uint8_t nLength = 1;
    if (i == '\\' || i == '\r' || i == '\n' || i == '\t') {
      szText[0] = '\\';
      szText[1] = i == '\\' ? '\\' : i == '\r' ? 'r' : i == '\n' ? 'n' : 't';
      nLength = 2;
    } else if (i < 0x20 || i >= 0x7F) {
      szText[0] = '\\';
      szText[1] = 'x';
      szText[2] = kHex[i >> 4];
      szText[3] = kHex[i & 0x0F];
      nLength = 4;
    }
    std::memcpy(&escapes.aText[i], szText, 4);
    escapes.aLength[i] = nLength;
  }
  return escapes;
}

const SEscapes g_escapes = MakeEscapes();

constexpr uint64_t kOnes = 0x0101010101010101ull;
constexpr uint64_t kHighs = 0x8080808080808080ull;

// The bytes of a word that are not printable ASCII other than a backslash, flagged in their
// high bits: a high bit, below 0x20, 0x7F or 0x5C. The lowest flag is exact; a borrow may
// flag bytes above it that stand for themselves.
uint64_t NotPlain(uint64_t nWord) {
  const auto hasZero = [](uint64_t v) { return (v - kOnes) & ~v & kHighs; };
  const uint64_t nBelowSpace = (nWord - kOnes * 0x20) & ~nWord & kHighs;
  return (nWord & kHighs) | nBelowSpace | hasZero(nWord ^ (kOnes * 0x7F)) | hasZero(nWord ^ (kOnes * '\\'));
}

// A word of eight bytes with the first lowest, so that a borrow runs toward later bytes.
uint64_t LoadWord(const uint8_t* pData) {
  uint64_t nWord;
  std::memcpy(&nWord, pData, 8);
  if constexpr (std::endian::native == std::endian::big) nWord = __builtin_bswap64(nWord);
  return nWord;
}

// Escapes the bytes from pData on into pOut, which has room for four bytes out for each one
// in and eight more. Stops at pEnd or, with bToLineFeed, after the first LF; says where.
template <bool bToLineFeed>
const uint8_t* Escape(const uint8_t* pData, const uint8_t* pEnd, char*& pOut) {
  bool bInText = false;
  while (pData != pEnd) {
    // Eight bytes at a time while they stand for themselves, as in text; then byte by byte
    // for eight. In text, the plain bytes before the first that is not go as they are; in
    // binary data that would only lengthen the chain each byte's place waits on.
    if (pEnd - pData >= 8) {
      const uint64_t nFlags = NotPlain(LoadWord(pData));
      if (nFlags == 0 || bInText) {
        std::memcpy(pOut, pData, 8);
        const size_t nPlain = nFlags == 0 ? 8 : static_cast<size_t>(std::countr_zero(nFlags)) / 8;
        pOut += nPlain;
        pData += nPlain;
        bInText = nFlags == 0;
        if (bInText) continue;
      }
    }
    for (const uint8_t* pStop = pData + std::min<ptrdiff_t>(8, pEnd - pData); pData != pStop;) {
      const uint8_t nByte = *pData++;
      const uint32_t nText = g_escapes.aText[nByte];
      std::memcpy(pOut, &nText, 4);
      pOut += g_escapes.aLength[nByte];
      if (bToLineFeed && nByte == '\n') return pData;
    }
  }
  return pData;
}

// Where the digits of the millisecond start in a line's head.
constexpr size_t kMilliAt = sizeof "YYYY-MM-DDTHH:MM:SS." - 1;

}  // namespace

char* CCaptureText::Grow(size_t nCount) {
  const size_t nCapacity = std::max(m_nSize + nCount, m_nCapacity * 2);
  std::unique_ptr<char[]> pData(new char[nCapacity]);
  if (m_nSize != 0) std::memcpy(pData.get(), m_pData.get(), m_nSize);
  m_pData = std::move(pData);
  m_nCapacity = nCapacity;
  return m_pData.get() + m_nSize;
}

void CCaptureText::Append(std::string_view text) {
  std::memcpy(Room(text.size()), text.data(), text.size());
  m_nSize += text.size();
}

void CCaptureText::Prepend(std::string_view text) {
  Room(text.size());
  std::memmove(m_pData.get() + text.size(), m_pData.get(), m_nSize);
  std::memcpy(m_pData.get(), text.data(), text.size());
  m_nSize += text.size();
}

std::string_view CCaptureFormatter::Head(WallClock::time_point time, uint8_t nPort, char cDirection) {
  const int64_t nMilli = std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
  char* pHead = m_aHead.data();
  if (nMilli / 1000 != m_nHeadMilli / 1000 || nPort != m_nHeadPort || m_nHeadMilli < 0) {
    const std::time_t nSecond = static_cast<std::time_t>(nMilli / 1000);
    std::tm local{};
    localtime_r(&nSecond, &local);
    size_t nLength = std::strftime(pHead, kHeadRoom, "%Y-%m-%dT%H:%M:%S.000", &local);
    const long nOffset = local.tm_gmtoff / 60;
    const long nMagnitude = nOffset < 0 ? -nOffset : nOffset;
    const std::string strPort = nPort == 0 ? std::string("-") : PortName(nPort);
    nLength +=
        static_cast<size_t>(std::snprintf(pHead + nLength, kHeadRoom - nLength, "%c%02ld:%02ld %s   ",
                                          nOffset < 0 ? '-' : '+', nMagnitude / 60, nMagnitude % 60, strPort.c_str()));
    m_nHeadLength = nLength;
    m_nHeadPort = nPort;
  } else if (nMilli == m_nHeadMilli) {
    pHead[m_nHeadLength - 2] = cDirection;
    return {pHead, m_nHeadLength};
  }
  const auto nDigits = static_cast<int>(nMilli % 1000);
  pHead[kMilliAt] = static_cast<char>('0' + nDigits / 100);
  pHead[kMilliAt + 1] = static_cast<char>('0' + nDigits / 10 % 10);
  pHead[kMilliAt + 2] = static_cast<char>('0' + nDigits % 10);
  pHead[m_nHeadLength - 2] = cDirection;
  m_nHeadMilli = nMilli;
  return {pHead, m_nHeadLength};
}

void CCaptureFormatter::StartLine(WallClock::time_point time, uint8_t nPort, char cDirection, CCaptureText& out) {
  out.Append(Head(time, nPort, cDirection));
  m_bLineOpen = cDirection == '<';
  m_nLinePort = nPort;
  m_lineStart = time;
}

void CCaptureFormatter::EndLine(CCaptureText& out) {
  if (!m_bLineOpen) return;
  out.Append('\n');
  m_bLineOpen = false;
}

void CCaptureFormatter::Received(WallClock::time_point time, uint8_t nPort, const uint8_t* pData, size_t nCount,
                                 CCaptureText& out) {
  if (nCount == 0) return;
  // A wall clock set back (by hand, or by NTP stepping it) ends the line too, or a stream
  // without LF would run on in one line until the clock caught up.
  if (!m_bLineOpen || m_nLinePort != nPort || time - m_lineStart >= kLineSpan || time < m_lineStart) {
    EndLine(out);
    StartLine(time, nPort, '<', out);
  }
  // The lines a read starts all have its head.
  const std::string_view head = Head(time, nPort, '<');
  const uint8_t* pEnd = pData + nCount;
  char* pOut = out.Room(nCount * 4 + 8);
  for (;;) {
    pData = Escape<true>(pData, pEnd, pOut);
    if (pData[-1] != '\n') break;
    *pOut++ = '\n';
    if (pData == pEnd) {
      m_bLineOpen = false;
      break;
    }
    out.Commit(pOut);
    pOut = out.Room(kHeadRoom + static_cast<size_t>(pEnd - pData) * 4 + 8);
    std::memcpy(pOut, head.data(), kHeadRoom);
    pOut += head.size();
    m_lineStart = time;
  }
  out.Commit(pOut);
}

void CCaptureFormatter::Sent(WallClock::time_point time, uint8_t nPort, const uint8_t* pData, size_t nCount,
                             CCaptureText& out) {
  EndLine(out);
  StartLine(time, nPort, '>', out);
  char* pOut = out.Room(nCount * 4 + 8);
  Escape<false>(pData, pData + nCount, pOut);
  *pOut++ = '\n';
  out.Commit(pOut);
}

void CCaptureFormatter::Event(WallClock::time_point time, uint8_t nPort, std::string_view text, CCaptureText& out) {
  EndLine(out);
  StartLine(time, nPort, '!', out);
  // A device's name may hold a line break, which would make a line of its own.
  out.Append(ShowControls(text));
  out.Append('\n');
}

}  // namespace tobrel
