// What the receive record holds of a stream, against what was sent.
#pragma once

#include <cstdint>

#include "StreamPattern.h"
#include "TextRange.h"

namespace bench {

struct SRecordCheck {
  uint64_t nMissing = 0;     // sent but not in the record
  uint64_t nExtra = 0;       // in the record but never sent
  uint64_t nMismatched = 0;  // positions whose unit differs from the byte sent there
};

// Compares the record with the stream's first nCount bytes, from unit nFrom
// on (the units before are taken as equal, a long stream's check being its end).
SRecordCheck CheckRecord(const win::CTextRange& record, EStreamKind kind, uint64_t nCount, uint64_t nFrom = 0);

}  // namespace bench
