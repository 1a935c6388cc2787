// The capture file's text form on any mix of bytes, in reads of any length: it decodes back
// to exactly the bytes, each byte is written the one way the form gives, and a received LF
// ends its line.
#include <gtest/gtest.h>

#include <random>

#include "CaptureFormat.h"
#include "CaptureReader.h"

using namespace tobrel;

namespace {

// The form, byte by byte.
std::string Escaped(const std::vector<uint8_t>& vecBytes) {
  std::string strText;
  for (uint8_t byValue : vecBytes) {
    if (byValue == '\\')
      strText += "\\\\";
    else if (byValue == '\r')
      strText += "\\r";
    else if (byValue == '\n')
      strText += "\\n";
    else if (byValue == '\t')
      strText += "\\t";
    else if (byValue >= 0x20 && byValue < 0x7F)
      strText += static_cast<char>(byValue);
    else {
      char szHex[5];
      std::snprintf(szHex, sizeof szHex, "\\x%02x", byValue);
      strText += szHex;
    }
  }
  return strText;
}

// Runs of text, lone escapes and binary, so every way through the formatter is taken.
std::vector<uint8_t> Mixed(std::mt19937& random, size_t nCount) {
  std::vector<uint8_t> vecBytes;
  while (vecBytes.size() < nCount) {
    const size_t nRun = 1 + random() % 40;
    switch (random() % 5) {
      case 0:
      case 1:
        for (size_t i = 0; i < nRun; ++i) vecBytes.push_back(static_cast<uint8_t>(0x20 + random() % 95));
        break;
      case 2:
        vecBytes.push_back("\r\n\\\t\x7f"[random() % 5]);
        break;
      case 3:
        vecBytes.push_back('\r');
        vecBytes.push_back('\n');
        break;
      default:
        for (size_t i = 0; i < nRun; ++i) vecBytes.push_back(static_cast<uint8_t>(random()));
    }
  }
  vecBytes.resize(nCount);
  return vecBytes;
}

}  // namespace

TEST(CaptureFormat, AnyMixInReadsOfAnyLengthDecodesExactlyWithALinePerLineFeed) {
  std::mt19937 random(7);
  const std::vector<uint8_t> vecStream = Mixed(random, 200000);
  std::vector<uint8_t> vecSent;
  CCaptureFormatter formatter;
  CCaptureText text;
  auto time = WallClock::now();
  for (size_t nDone = 0; nDone < vecStream.size();) {
    const size_t nRead = std::min<size_t>(vecStream.size() - nDone, 1 + random() % (random() % 4 == 0 ? 2000 : 20));
    formatter.Received(time, 3, vecStream.data() + nDone, nRead, text);
    nDone += nRead;
    time += std::chrono::milliseconds(random() % 30);
    if (random() % 50 == 0) {
      const std::vector<uint8_t> vecBlock = Mixed(random, 1 + random() % 64);
      formatter.Sent(time, 3, vecBlock.data(), vecBlock.size(), text);
      vecSent.insert(vecSent.end(), vecBlock.begin(), vecBlock.end());
    }
  }
  formatter.EndLine(text);

  std::vector<uint8_t> vecReceived, vecSentBack;
  const std::string_view file = text.View();
  ASSERT_EQ(file.back(), '\n');
  size_t nLines = 0, nLineFeeds = 0;
  std::string strError;
  for (size_t nAt = 0; nAt < file.size();) {
    const size_t nEnd = file.find('\n', nAt);
    const std::string_view line = file.substr(nAt, nEnd - nAt);
    nAt = nEnd + 1;
    SCaptureLine parsed;
    ASSERT_TRUE(ParseCaptureLine(line, parsed, strError)) << strError;
    ASSERT_EQ(parsed.strPort, "COM3");
    // The bytes are written the one way, after "TIME PORT D ".
    ASSERT_EQ(line.substr(line.find(parsed.cDirection, 30) + 2), Escaped(parsed.vecBytes));
    std::vector<uint8_t>& vecInto = parsed.cDirection == '<' ? vecReceived : vecSentBack;
    vecInto.insert(vecInto.end(), parsed.vecBytes.begin(), parsed.vecBytes.end());
    if (parsed.cDirection != '<') continue;
    ++nLines;
    // An LF only ends a line.
    const auto lineFeed = std::find(parsed.vecBytes.begin(), parsed.vecBytes.end(), '\n');
    ASSERT_TRUE(lineFeed == parsed.vecBytes.end() || lineFeed + 1 == parsed.vecBytes.end());
    nLineFeeds += lineFeed != parsed.vecBytes.end();
  }
  EXPECT_EQ(vecReceived, vecStream);
  EXPECT_EQ(vecSentBack, vecSent);
  // Lines end at LFs, and a few more where the stream ran on for a tenth of a second or a sent
  // block came between.
  EXPECT_EQ(nLineFeeds, static_cast<size_t>(std::count(vecStream.begin(), vecStream.end(), '\n')));
  EXPECT_GT(nLines, nLineFeeds);
  EXPECT_LT(nLines, nLineFeeds + nLineFeeds / 5);
}

TEST(CaptureFormat, AStreamLineEndsAfterATenthOfASecondAndWhenTheClockIsSetBack) {
  CCaptureFormatter formatter;
  CCaptureText text;
  const uint8_t abyData[] = {'a', 'b'};
  const auto start = WallClock::now();
  const std::chrono::milliseconds aAfter[] = {std::chrono::milliseconds(0), std::chrono::milliseconds(99),
                                              std::chrono::milliseconds(100), std::chrono::hours(-1),
                                              std::chrono::hours(-1) + std::chrono::milliseconds(50)};
  for (const auto after : aAfter) formatter.Received(start + after, 1, abyData, sizeof abyData, text);
  formatter.EndLine(text);
  std::vector<SCaptureLine> vecLines;
  std::string strError;
  ASSERT_TRUE(ParseCaptureText(text.View(), vecLines, strError)) << strError;
  std::vector<std::string> vecBytes;
  for (const SCaptureLine& line : vecLines) vecBytes.emplace_back(line.vecBytes.begin(), line.vecBytes.end());
  EXPECT_EQ(vecBytes, (std::vector<std::string>{"abab", "ab", "abab"}));
}
