// Where the lines of a window's text start, kept in step with the text as it
// grows, so that a record box can find any line without reading the text
// before it. CR LF, LF and CR each end one line, also when a CR ends one
// append and its LF starts the next. A line longer than kMaxPiece units is
// indexed in pieces of that length; the text itself is never touched.
//
// About 2.5 bytes a line: lines in groups of 16, each group with its start as
// an 8-byte base and each line as a 2-byte offset from it (a line is at most
// kMaxPiece + 3 units with a split pair and its break, so fifteen of them fit
// 16 bits). The groups are kept in blocks of fixed size, so a long index grows
// by a block at a time and never holds an old and a new copy of itself.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace view {

class CLineIndex {
 public:
  // The longest piece of a line the index holds as one line.
  static constexpr size_t kMaxPiece = 4096;
  static constexpr size_t kAppendedNone = static_cast<size_t>(-1);

  CLineIndex();

  // Brings the index up to text. When nAppendedFrom is the length indexed so
  // far, text only grew and only the new units are read; anything else
  // (kAppendedNone among them) indexes the whole text afresh.
  void Update(std::u16string_view text, size_t nAppendedFrom);
  void Reset();

  // Units of the text indexed.
  size_t Length() const { return m_nLength; }
  // At least 1: an empty text has one empty line.
  size_t LineCount() const { return m_nLines; }
  size_t LineStart(size_t nLine) const;
  // Where the line's characters end, before its line break.
  size_t LineEnd(std::u16string_view text, size_t nLine) const;
  // The line that holds position nPos (a position on a line break belongs to
  // the line it ends).
  size_t LineOf(size_t nPos) const;
  // Bytes the index holds on the heap.
  size_t MemoryBytes() const;

 private:
  static constexpr size_t kGroupShift = 4;
  static constexpr size_t kBlockShift = 12;
  static constexpr size_t kLinesPerBlock = size_t{1} << kBlockShift;
  static constexpr size_t kGroupsPerBlock = kLinesPerBlock >> kGroupShift;
  struct SBlock {
    std::array<uint64_t, kGroupsPerBlock> aBases;
    std::array<uint16_t, kLinesPerBlock> aOffsets;
  };

  uint64_t& Base(size_t nLine) const {
    return m_vecBlocks[nLine >> kBlockShift]->aBases[(nLine >> kGroupShift) & (kGroupsPerBlock - 1)];
  }
  uint16_t& Offset(size_t nLine) const {
    return m_vecBlocks[nLine >> kBlockShift]->aOffsets[nLine & (kLinesPerBlock - 1)];
  }
  void Push(size_t nStart);
  void SetStart(size_t nLine, size_t nStart);

  std::vector<std::unique_ptr<SBlock>> m_vecBlocks;
  size_t m_nLines = 0;
  size_t m_nLength = 0;
  // Units of the last line so far, for cutting pieces.
  size_t m_nRun = 0;
  // The indexed text ends in a CR whose LF may still come.
  bool m_bEndsInCR = false;
};

}  // namespace view
