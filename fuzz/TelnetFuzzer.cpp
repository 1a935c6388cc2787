// The telnet layer of network ports: any stream from a server, arriving in any chunks, gives
// the data and commands that one read of it gives, never more bytes than came; and any data
// escaped on its way out comes back exactly, with no command.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "FuzzCheck.h"
#include "Telnet.h"

using namespace tobrel;

namespace {

struct SDecoded {
  std::vector<uint8_t> vecData;
  std::vector<CTelnetDecoder::SCommand> vecCommands;
};

SDecoded Decode(const uint8_t* pBytes, size_t nBytes, size_t nChunk) {
  CTelnetDecoder decoder;
  SDecoded decoded;
  for (size_t nFrom = 0; nFrom < nBytes; nFrom += nChunk) {
    std::vector<uint8_t> vecRead(pBytes + nFrom, pBytes + std::min(nBytes, nFrom + nChunk));
    const size_t nData = decoder.Decode(vecRead.data(), vecRead.size());
    Check(nData <= vecRead.size(), "leaves no more data than it read");
    decoded.vecData.insert(decoded.vecData.end(), vecRead.begin(), vecRead.begin() + static_cast<long>(nData));
  }
  decoded.vecCommands = decoder.TakeCommands();
  return decoded;
}

bool SameCommands(const std::vector<CTelnetDecoder::SCommand>& a, const std::vector<CTelnetDecoder::SCommand>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].nVerb != b[i].nVerb || a[i].nOption != b[i].nOption || a[i].vecData != b[i].vecData) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
  if (nSize < 1) return 0;
  const size_t nChunk = 1 + pData[0] % 16;
  const uint8_t* pBytes = pData + 1;
  const size_t nBytes = nSize - 1;

  const SDecoded whole = Decode(pBytes, nBytes, nBytes + 1);
  const SDecoded chunked = Decode(pBytes, nBytes, nChunk);
  Check(chunked.vecData == whole.vecData, "the data does not depend on how the stream is cut");
  Check(SameCommands(chunked.vecCommands, whole.vecCommands), "the commands do not depend on how the stream is cut");

  std::vector<uint8_t> vecWire;
  EscapeIac(pBytes, nBytes, vecWire);
  const SDecoded escaped = Decode(vecWire.data(), vecWire.size(), nChunk);
  Check(escaped.vecData == std::vector<uint8_t>(pBytes, pBytes + nBytes), "escaped data comes back exactly");
  Check(escaped.vecCommands.empty(), "escaped data holds no command");
  return 0;
}
