// The serial library's command reply parsing: any bytes, arriving in any
// chunks, give the reply a reference reading gives, bounded to 99 characters.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "CommandReply.h"
#include "FuzzCheck.h"

using namespace tobrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
  if (nSize < 1) return 0;
  size_t nChunk = 1 + pData[0] % 16;
  const uint8_t* pBytes = pData + 1;
  size_t nBytes = nSize - 1;

  // Reference: skip LFs before the first character, take up to the first CR.
  std::string reference;
  bool bComplete = false;
  size_t nReferenceTaken = 0;
  for (; nReferenceTaken < nBytes && !bComplete; ++nReferenceTaken) {
    uint8_t b = pBytes[nReferenceTaken];
    if (b == '\r') {
      bComplete = true;
    } else if (!(b == '\n' && reference.empty())) {
      reference += static_cast<char>(b);
    }
  }

  SCommandReply reply;
  ClearCommandReply(reply);
  size_t nTaken = 0;
  while (nTaken < nBytes && !reply.bComplete) {
    size_t n = std::min(nChunk, nBytes - nTaken);
    size_t nUsed = ParseCommandReply(pBytes + nTaken, n, reply);
    Check(nUsed <= n, "takes no more than it was given");
    Check(nUsed == n || reply.bComplete, "takes everything while the reply is open");
    nTaken += nUsed;
  }
  Check(nTaken == nReferenceTaken, "stops just after the ending CR");
  Check(reply.bComplete == bComplete, "complete exactly when a CR came");
  Check(reply.nLength <= kReplyMaxLength && reply.szText[reply.nLength] == '\0', "bounded and NUL-terminated");
  Check(reply.bTruncated == (reference.size() > kReplyMaxLength), "truncated exactly when too long");
  Check(std::string(reply.szText, reply.nLength) == reference.substr(0, kReplyMaxLength), "the reply's characters");
  return 0;
}
