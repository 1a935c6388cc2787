// The capture file's text form: any bytes, received in reads of any length with sent blocks
// between, give plain ASCII lines that read back to exactly those bytes, with an LF only
// at the end of a received line and one line for each sent block.
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "CaptureFormat.h"
#include "CaptureReader.h"
#include "FuzzCheck.h"

using namespace tobrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
  if (nSize < 3) return 0;
  const size_t nChunk = 1 + pData[0] * size_t{3};
  const auto step = std::chrono::milliseconds(pData[1] % 120);
  const unsigned nSentEvery = pData[2] % 8;
  const uint8_t* pBytes = pData + 3;
  const size_t nBytes = nSize - 3;

  CCaptureFormatter formatter;
  CCaptureText text;
  std::vector<uint8_t> vecReceived;
  std::vector<std::vector<uint8_t>> vecSent;
  auto time = WallClock::time_point{} + std::chrono::hours(24 * 365 * 56);
  unsigned nRead = 0;
  for (size_t nDone = 0; nDone < nBytes; ++nRead) {
    // Varying lengths around the chosen one, so reads end at every place in a word.
    const size_t nLength = std::min(nBytes - nDone, 1 + (nChunk + nRead * 7) % (nChunk + 8));
    if (nSentEvery != 0 && nRead % nSentEvery == 0) {
      formatter.Sent(time, 2, pBytes + nDone, nLength, text);
      vecSent.emplace_back(pBytes + nDone, pBytes + nDone + nLength);
    } else {
      formatter.Received(time, 2, pBytes + nDone, nLength, text);
      vecReceived.insert(vecReceived.end(), pBytes + nDone, pBytes + nDone + nLength);
    }
    nDone += nLength;
    time += step;
  }
  formatter.EndLine(text);

  const std::string_view file = text.View();
  Check(file.empty() || file.back() == '\n', "the file ends with a whole line");
  Check(std::all_of(file.begin(), file.end(), [](char c) { return c == '\n' || (c >= 0x20 && c < 0x7F); }),
        "the file is printable ASCII lines");
  std::vector<SCaptureLine> vecLines;
  std::string strError;
  Check(ParseCaptureText(file, vecLines, strError), "every line reads back");
  std::vector<uint8_t> vecReceivedBack;
  size_t nSentBack = 0;
  for (const SCaptureLine& line : vecLines) {
    Check(line.strPort == "COM2", "the port");
    if (line.cDirection == '>') {
      Check(nSentBack < vecSent.size() && line.vecBytes == vecSent[nSentBack], "a line per sent block, exact");
      ++nSentBack;
      continue;
    }
    Check(line.cDirection == '<' && !line.vecBytes.empty(), "a received line holds bytes");
    const auto lineFeed = std::find(line.vecBytes.begin(), line.vecBytes.end(), '\n');
    Check(lineFeed == line.vecBytes.end() || lineFeed + 1 == line.vecBytes.end(), "an LF only ends a line");
    vecReceivedBack.insert(vecReceivedBack.end(), line.vecBytes.begin(), line.vecBytes.end());
  }
  Check(nSentBack == vecSent.size(), "every sent block");
  Check(vecReceivedBack == vecReceived, "the received bytes, exact and in order");
  return 0;
}
