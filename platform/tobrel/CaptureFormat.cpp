#include "CaptureFormat.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <utility>

#include "PortMap.h"

namespace {

// A line of received bytes ends after this much of the stream, so a stream without LF
// still gives a line per tenth of a second.
constexpr std::chrono::milliseconds kLineSpan{100};

struct SEscape {
  char szText[5];
  uint8_t nLength;
};

std::array<SEscape, 256> MakeEscapes() {
  static constexpr char kHex[] = "0123456789abcdef";
  std::array<SEscape, 256> aEscapes{};
  for (int i = 0; i < 256; ++i) {
    SEscape& escape = aEscapes[i];
    if (i == '\\' || i == '\r' || i == '\n' || i == '\t') {
      escape = {{'\\', i == '\\' ? '\\' : i == '\r' ? 'r' : i == '\n' ? 'n' : 't'}, 2};
    } else if (i >= 0x20 && i < 0x7F) {
      escape = {{static_cast<char>(i)}, 1};
    } else {
      escape = {{'\\', 'x', kHex[i >> 4], kHex[i & 0x0F]}, 4};
    }
  }
  return aEscapes;
}

const std::array<SEscape, 256> g_aEscapes = MakeEscapes();

// Where the digits of the millisecond start in a line's head.
constexpr size_t kMilliAt = sizeof "YYYY-MM-DDTHH:MM:SS." - 1;

}  // namespace

char* CCaptureText::Room(size_t nCount) {
  if (m_nCapacity - m_nSize < nCount) {
    const size_t nCapacity = std::max(m_nSize + nCount, m_nCapacity * 2);
    std::unique_ptr<char[]> pData(new char[nCapacity]);
    if (m_nSize != 0) std::memcpy(pData.get(), m_pData.get(), m_nSize);
    m_pData = std::move(pData);
    m_nCapacity = nCapacity;
  }
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

void AppendEscaped(const uint8_t* pData, size_t nCount, CCaptureText& out) {
  // Each escape is copied whole, four bytes, and the end moves by its length.
  char* pOut = out.Room(nCount * 4);
  for (size_t i = 0; i < nCount; ++i) {
    const SEscape& escape = g_aEscapes[pData[i]];
    std::memcpy(pOut, escape.szText, 4);
    pOut += escape.nLength;
  }
  out.Commit(pOut);
}

std::string_view CCaptureFormatter::Head(WallClock::time_point time, uint8_t nPort, char cDirection) {
  const int64_t nMilli = std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
  if (nMilli / 1000 != m_nHeadMilli / 1000 || nPort != m_nHeadPort || m_nHeadMilli < 0) {
    const std::time_t nSecond = static_cast<std::time_t>(nMilli / 1000);
    std::tm local{};
    localtime_r(&nSecond, &local);
    char szText[48];
    size_t nLength = std::strftime(szText, sizeof szText, "%Y-%m-%dT%H:%M:%S.000", &local);
    const long nOffset = local.tm_gmtoff / 60;
    const long nMagnitude = nOffset < 0 ? -nOffset : nOffset;
    nLength += static_cast<size_t>(std::snprintf(szText + nLength, sizeof szText - nLength, "%c%02ld:%02ld",
                                                 nOffset < 0 ? '-' : '+', nMagnitude / 60, nMagnitude % 60));
    m_strHead.assign(szText, nLength);
    m_strHead += ' ';
    m_strHead += nPort == 0 ? std::string("-") : PortName(nPort);
    m_strHead += "   ";
    m_nHeadPort = nPort;
  } else if (nMilli == m_nHeadMilli) {
    m_strHead[m_strHead.size() - 2] = cDirection;
    return m_strHead;
  }
  const auto nDigits = static_cast<int>(nMilli % 1000);
  m_strHead[kMilliAt] = static_cast<char>('0' + nDigits / 100);
  m_strHead[kMilliAt + 1] = static_cast<char>('0' + nDigits / 10 % 10);
  m_strHead[kMilliAt + 2] = static_cast<char>('0' + nDigits % 10);
  m_strHead[m_strHead.size() - 2] = cDirection;
  m_nHeadMilli = nMilli;
  return m_strHead;
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
  size_t nDone = 0;
  while (nDone < nCount) {
    if (!m_bLineOpen || m_nLinePort != nPort || time - m_lineStart >= kLineSpan) {
      EndLine(out);
      StartLine(time, nPort, '<', out);
    }
    const auto* pLineFeed = static_cast<const uint8_t*>(std::memchr(pData + nDone, '\n', nCount - nDone));
    const size_t nEnd = pLineFeed != nullptr ? static_cast<size_t>(pLineFeed - pData) + 1 : nCount;
    AppendEscaped(pData + nDone, nEnd - nDone, out);
    if (pLineFeed != nullptr) EndLine(out);
    nDone = nEnd;
  }
}

void CCaptureFormatter::Sent(WallClock::time_point time, uint8_t nPort, const uint8_t* pData, size_t nCount,
                             CCaptureText& out) {
  EndLine(out);
  StartLine(time, nPort, '>', out);
  AppendEscaped(pData, nCount, out);
  out.Append('\n');
}

void CCaptureFormatter::Event(WallClock::time_point time, uint8_t nPort, std::string_view text, CCaptureText& out) {
  EndLine(out);
  StartLine(time, nPort, '!', out);
  out.Append(text);
  out.Append('\n');
}
