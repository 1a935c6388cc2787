// The byte stream that quorvel-sim sends for benchmarks. Deterministic from its seed, so a
// benchmark regenerates it and compares what arrived.
//
// Lines: lines of 1 to 80 bytes of every value but CR and LF, each ended by CR LF; so all
// 256 values occur. NoLines: every value 0 to 255, no line structure. Text: lines of 1 to 80
// printable ASCII bytes, each ended by CR LF, as a line-oriented device sends them.
#pragma once

#include <cstddef>
#include <cstdint>

enum class EStreamKind { Lines, NoLines, Text };

class CStreamPattern {
 public:
  static constexpr uint64_t kDefaultSeed = 1;
  static constexpr size_t kMaxLine = 80;

  explicit CStreamPattern(EStreamKind kind, uint64_t nSeed = kDefaultSeed) : m_kind(kind), m_nState(nSeed) {}

  uint8_t Next() {
    if (m_kind == EStreamKind::NoLines) return static_cast<uint8_t>(Random() >> 56);
    if (m_nEnding == 2) {
      m_nEnding = 1;
      return '\r';
    }
    if (m_nEnding == 1) {
      m_nEnding = 0;
      return '\n';
    }
    if (m_nLineLeft == 0) m_nLineLeft = 1 + static_cast<size_t>(Random() % kMaxLine);
    uint8_t byValue = 0;
    if (m_kind == EStreamKind::Text) {
      byValue = static_cast<uint8_t>(0x20 + (Random() >> 32) % 95);
    } else {
      do {
        byValue = static_cast<uint8_t>(Random() >> 56);
      } while (byValue == '\r' || byValue == '\n');
    }
    if (--m_nLineLeft == 0) m_nEnding = 2;
    return byValue;
  }

  void Fill(uint8_t* pOut, size_t nCount) {
    for (size_t i = 0; i < nCount; ++i) pOut[i] = Next();
  }

 private:
  // splitmix64: fast, and every seed gives a full-period stream.
  uint64_t Random() {
    uint64_t z = (m_nState += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }

  EStreamKind m_kind;
  uint64_t m_nState;
  size_t m_nLineLeft = 0;
  int m_nEnding = 0;  // 2: CR then LF due, 1: LF due
};
