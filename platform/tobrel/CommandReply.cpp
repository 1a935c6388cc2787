#include "CommandReply.h"

namespace tobrel {

namespace {

int HexValue(char ch) {
  if (ch >= '0' && ch <= '9') return ch - '0';
  if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
  if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
  return -1;
}

}  // namespace

void ClearCommandReply(SCommandReply& reply) {
  reply.szText[0] = '\0';
  reply.nLength = 0;
  reply.bComplete = false;
  reply.bTruncated = false;
}

size_t ParseCommandReply(const uint8_t* pData, size_t nCount, SCommandReply& reply) {
  size_t nTaken = 0;
  while (nTaken < nCount && !reply.bComplete) {
    const uint8_t byValue = pData[nTaken++];
    if (byValue == '\r')
      reply.bComplete = true;
    else if (byValue == '\n' && reply.nLength == 0 && !reply.bTruncated)
      continue;
    else if (reply.nLength < kReplyMaxLength)
      reply.szText[reply.nLength++] = static_cast<char>(byValue);
    else
      reply.bTruncated = true;
  }
  reply.szText[reply.nLength] = '\0';
  return nTaken;
}

uint8_t CommandChecksum(const char* pText, size_t nLength) {
  unsigned nSum = 0;
  for (size_t i = 0; i < nLength; ++i) nSum += static_cast<uint8_t>(pText[i]);
  return static_cast<uint8_t>(nSum);
}

bool StripReplyChecksum(SCommandReply& reply) {
  if (reply.nLength < 2) return false;
  const int nHigh = HexValue(reply.szText[reply.nLength - 2]);
  const int nLow = HexValue(reply.szText[reply.nLength - 1]);
  if (nHigh < 0 || nLow < 0) return false;
  const size_t nBody = reply.nLength - 2;
  if (CommandChecksum(reply.szText, nBody) != nHigh * 16 + nLow) return false;
  reply.nLength = nBody;
  reply.szText[nBody] = '\0';
  return true;
}

}  // namespace tobrel
