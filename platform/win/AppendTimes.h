// When a window's text gained its units: an offset and a wall time for each
// append, kept beside the text. A text set anew starts it again with one
// entry. The entries are deltas packed a few bytes each, with the full
// values every kGroup entries, so finding the time of a unit reads one group.
//
// A block is the text one append began after a pause, and what followed it
// without one: a device's reply, on rows of its own in the hex form.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace win {

class CAppendTimes {
 public:
  // The receive poll appends at most once a 50 ms tick, so one tick that
  // found nothing leaves about 100 ms between appends, and two about 150 ms.
  // Longer than 125 ms is a pause of two ticks or more.
  static constexpr int64_t kPauseMs = 125;
  static constexpr size_t kNone = std::u16string::npos;

  CAppendTimes() { Reset(0); }

  // The text was set anew at nTimeMs.
  void Reset(int64_t nTimeMs);
  // The text grew from nOffset at nTimeMs.
  void Append(size_t nOffset, int64_t nTimeMs);

  size_t Count() const { return m_nCount; }
  // When the text gained the unit at nPos.
  int64_t TimeAt(size_t nPos) const;
  // Where the block that holds nPos begins, and where the next one does
  // (kNone when none follows).
  size_t BlockStart(size_t nPos) const;
  size_t NextBlockStart(size_t nPos) const;
  // Bytes held on the heap.
  size_t MemoryBytes() const;

 private:
  static constexpr size_t kGroup = 64;
  struct SGroup {
    uint64_t nOffset;
    int64_t nTime;
    uint32_t nByte;
  };
  struct SEntry {
    size_t nOffset;
    int64_t nTime;
  };
  void Put(uint64_t nValue);
  // The last entry at or before nPos.
  SEntry Find(size_t nPos) const;

  std::vector<SGroup> m_vecGroups;
  std::vector<uint8_t> m_vecDeltas;
  // Where the blocks after the first begin.
  std::vector<uint64_t> m_vecBlocks;
  size_t m_nCount = 0;
  SEntry m_last{};
};

}  // namespace win
