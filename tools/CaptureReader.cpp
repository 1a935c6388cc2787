#include "CaptureReader.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool Unescape(std::string_view text, std::vector<uint8_t>& vecBytes, std::string& strError) {
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c != '\\') {
      if (c < 0x20 || c > 0x7E) {
        strError = "a byte that should be escaped at column " + std::to_string(i);
        return false;
      }
      vecBytes.push_back(static_cast<uint8_t>(c));
      continue;
    }
    const char cNext = i + 1 < text.size() ? text[i + 1] : 0;
    if (cNext == '\\' || cNext == 'r' || cNext == 'n' || cNext == 't') {
      vecBytes.push_back(cNext == '\\' ? '\\' : cNext == 'r' ? '\r' : cNext == 'n' ? '\n' : '\t');
      ++i;
    } else if (cNext == 'x' && i + 3 < text.size() && HexDigit(text[i + 2]) >= 0 && HexDigit(text[i + 3]) >= 0) {
      vecBytes.push_back(static_cast<uint8_t>(HexDigit(text[i + 2]) * 16 + HexDigit(text[i + 3])));
      i += 3;
    } else {
      strError = "a broken escape at column " + std::to_string(i);
      return false;
    }
  }
  return true;
}

}  // namespace

bool ParseCaptureLine(std::string_view line, SCaptureLine& parsed, std::string& strError) {
  // "2026-12-09T03:04:05.678+01:00": digits everywhere but at these places.
  static constexpr std::string_view kTimeShape = "dddd-dd-ddTdd:dd:dd.ddd+dd:dd";
  bool bTime = line.size() > kTimeShape.size();
  for (size_t i = 0; bTime && i < kTimeShape.size(); ++i) {
    const char c = line[i];
    if (kTimeShape[i] == 'd')
      bTime = c >= '0' && c <= '9';
    else if (kTimeShape[i] == '+')
      bTime = c == '+' || c == '-';
    else
      bTime = c == kTimeShape[i];
  }
  if (!bTime || line[kTimeShape.size()] != ' ') {
    strError = "no time at the start";
    return false;
  }
  const size_t nPortStart = kTimeShape.size() + 1;
  const size_t nPortEnd = line.find(' ', nPortStart);
  if (nPortEnd == std::string_view::npos || line.size() < nPortEnd + 3 || line[nPortEnd + 2] != ' ') {
    strError = "no port and direction";
    return false;
  }
  parsed.strTime = std::string(line.substr(0, kTimeShape.size()));
  parsed.strPort = std::string(line.substr(nPortStart, nPortEnd - nPortStart));
  parsed.cDirection = line[nPortEnd + 1];
  const bool bPort = parsed.strPort == "-" || (parsed.strPort.size() > 3 && parsed.strPort.rfind("COM", 0) == 0);
  if (!bPort || (parsed.cDirection != '<' && parsed.cDirection != '>' && parsed.cDirection != '!')) {
    strError = "no port and direction";
    return false;
  }
  const std::string_view rest = line.substr(nPortEnd + 3);
  parsed.vecBytes.clear();
  if (parsed.cDirection == '!') {
    parsed.vecBytes.assign(rest.begin(), rest.end());
    return true;
  }
  return Unescape(rest, parsed.vecBytes, strError);
}

bool ParseCaptureText(std::string_view text, std::vector<SCaptureLine>& vecLines, std::string& strError) {
  size_t nLine = 0;
  for (size_t nAt = 0; nAt < text.size();) {
    const size_t nEnd = std::min(text.find('\n', nAt), text.size());
    ++nLine;
    SCaptureLine parsed;
    if (!ParseCaptureLine(text.substr(nAt, nEnd - nAt), parsed, strError)) {
      strError = "line " + std::to_string(nLine) + ": " + strError;
      return false;
    }
    vecLines.push_back(std::move(parsed));
    nAt = nEnd + 1;
  }
  return true;
}

bool ReadCaptureFile(const std::string& strPath, std::vector<SCaptureLine>& vecLines, std::string& strError) {
  std::ifstream file(strPath, std::ios::binary);
  if (!file) {
    strError = "cannot read " + strPath;
    return false;
  }
  const std::string strText((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (ParseCaptureText(strText, vecLines, strError)) return true;
  strError = strPath + ": " + strError;
  return false;
}
