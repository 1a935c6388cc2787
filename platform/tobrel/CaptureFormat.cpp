#include "CaptureFormat.h"

#include <array>
#include <cstdio>
#include <cstring>

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

}  // namespace

void AppendEscaped(const uint8_t* pData, size_t nCount, std::string& strOut) {
  const size_t nStart = strOut.size();
  strOut.resize(nStart + nCount * 4);
  char* pOut = strOut.data() + nStart;
  for (size_t i = 0; i < nCount; ++i) {
    const SEscape& escape = g_aEscapes[pData[i]];
    std::memcpy(pOut, escape.szText, 4);
    pOut += escape.nLength;
  }
  strOut.resize(static_cast<size_t>(pOut - strOut.data()));
}

void CCaptureFormatter::AppendTime(WallClock::time_point time, std::string& strOut) {
  const auto sinceEpoch = std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch());
  const std::time_t nSecond = static_cast<std::time_t>(sinceEpoch.count() / 1000);
  if (nSecond != m_nCachedSecond) {
    std::tm local{};
    localtime_r(&nSecond, &local);
    char szText[32];
    m_strCachedSecond.assign(szText, std::strftime(szText, sizeof szText, "%Y-%m-%dT%H:%M:%S", &local));
    const long nOffset = local.tm_gmtoff / 60;
    const long nMagnitude = nOffset < 0 ? -nOffset : nOffset;
    std::snprintf(szText, sizeof szText, "%c%02ld:%02ld", nOffset < 0 ? '-' : '+', nMagnitude / 60, nMagnitude % 60);
    m_strCachedOffset = szText;
    m_nCachedSecond = nSecond;
  }
  const auto nMilli = static_cast<int>(sinceEpoch.count() % 1000);
  const char szMilli[5] = {'.', static_cast<char>('0' + nMilli / 100), static_cast<char>('0' + nMilli / 10 % 10),
                           static_cast<char>('0' + nMilli % 10), 0};
  strOut += m_strCachedSecond;
  strOut += szMilli;
  strOut += m_strCachedOffset;
}

void CCaptureFormatter::StartLine(WallClock::time_point time, uint8_t nPort, char cDirection, std::string& strOut) {
  AppendTime(time, strOut);
  strOut += ' ';
  strOut += nPort == 0 ? std::string("-") : PortName(nPort);
  strOut += ' ';
  strOut += cDirection;
  strOut += ' ';
  m_bLineOpen = cDirection == '<';
  m_nLinePort = nPort;
  m_lineStart = time;
}

void CCaptureFormatter::EndLine(std::string& strOut) {
  if (!m_bLineOpen) return;
  strOut += '\n';
  m_bLineOpen = false;
}

void CCaptureFormatter::Received(WallClock::time_point time, uint8_t nPort, const uint8_t* pData, size_t nCount,
                                 std::string& strOut) {
  size_t nDone = 0;
  while (nDone < nCount) {
    if (!m_bLineOpen || m_nLinePort != nPort || time - m_lineStart >= kLineSpan) {
      EndLine(strOut);
      StartLine(time, nPort, '<', strOut);
    }
    const auto* pLineFeed = static_cast<const uint8_t*>(std::memchr(pData + nDone, '\n', nCount - nDone));
    const size_t nEnd = pLineFeed != nullptr ? static_cast<size_t>(pLineFeed - pData) + 1 : nCount;
    AppendEscaped(pData + nDone, nEnd - nDone, strOut);
    if (pLineFeed != nullptr) EndLine(strOut);
    nDone = nEnd;
  }
}

void CCaptureFormatter::Sent(WallClock::time_point time, uint8_t nPort, const uint8_t* pData, size_t nCount,
                             std::string& strOut) {
  EndLine(strOut);
  StartLine(time, nPort, '>', strOut);
  AppendEscaped(pData, nCount, strOut);
  strOut += '\n';
}

void CCaptureFormatter::Event(WallClock::time_point time, uint8_t nPort, std::string_view text, std::string& strOut) {
  EndLine(strOut);
  StartLine(time, nPort, '!', strOut);
  strOut += text;
  strOut += '\n';
}
