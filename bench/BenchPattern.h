// The benchmarks' streams: CR LF lines of every other value, or every value
// but CR and LF with no line break at all.
#pragma once

#include <cstdint>

#include "StreamPattern.h"

namespace bench {

class CBenchPattern {
 public:
  explicit CBenchPattern(EStreamKind kind, uint64_t nSeed = CStreamPattern::kDefaultSeed)
      : m_kind(kind), m_pattern(kind, nSeed) {}
  uint8_t Next() {
    uint8_t byValue = m_pattern.Next();
    // The simulator's unstructured stream still holds CR and LF bytes.
    if (m_kind == EStreamKind::NoLines && (byValue == '\r' || byValue == '\n')) byValue |= 0x80;
    return byValue;
  }

 private:
  EStreamKind m_kind;
  CStreamPattern m_pattern;
};

const char* KindName(EStreamKind kind);

}  // namespace bench
