// The reply line of a module command, taken from the bytes as they arrive. Pure, so any
// byte sequence can be fed to it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "Tobrel.h"

namespace tobrel {

constexpr size_t kReplyMaxLength = TOBREL_REPLY_SIZE - 1;

struct SCommandReply {
  char szText[TOBREL_REPLY_SIZE];  // always NUL-terminated
  size_t nLength;                  // characters in szText, at most kReplyMaxLength
  bool bComplete;                  // the ending CR was seen
  bool bTruncated;                 // characters past kReplyMaxLength were dropped
};

void ClearCommandReply(SCommandReply& reply);

// Takes bytes from pData up to and including the CR that ends the reply and answers how many
// it took (all nCount while the reply is still open, none once it is complete). The CR is
// not stored. A LF before the first character is the end of the previous line's CR LF and is
// skipped. Characters past 99 are dropped and mark the reply truncated.
size_t ParseCommandReply(const uint8_t* pData, size_t nCount, SCommandReply& reply);

// Byte sum modulo 256 of a command or reply, sent as two hex digits before the CR.
uint8_t CommandChecksum(const char* pText, size_t nLength);

// With checksums on, a reply ends with two hex digits (either case) of the sum of the
// characters before them: true and the digits removed when they match, false and the reply
// unchanged when they are missing or wrong.
bool StripReplyChecksum(SCommandReply& reply);

}  // namespace tobrel
