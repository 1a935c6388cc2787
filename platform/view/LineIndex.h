// Where the lines of a window's text start, kept in step with the text as it
// grows, so that a record box can find any line without reading the text
// before it. CR LF, LF and CR each end one line, also when a CR ends one
// append and its LF starts the next. A line longer than kMaxPiece units is
// indexed in pieces of that length; the text itself is never touched.
//
// The index holds the start of every 64th line only, 8 bytes for 64 lines;
// the starts between are found by reading those lines of the text again when
// they are asked for, and the last few groups read are kept (a group the text
// has grown into since is read on from its last line, not afresh).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "TextRange.h"

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
  void Update(const win::CTextRange& text, size_t nAppendedFrom);
  void Reset();

  // Units of the text indexed.
  size_t Length() const { return m_nLength; }
  // At least 1: an empty text has one empty line.
  size_t LineCount() const { return m_nLines; }
  // text is the text last given to Update.
  size_t LineStart(const win::CTextRange& text, size_t nLine) const;
  // Where the line's characters end, before its line break.
  size_t LineEnd(const win::CTextRange& text, size_t nLine) const;
  // The line that holds position nPos (a position on a line break belongs to
  // the line it ends).
  size_t LineOf(const win::CTextRange& text, size_t nPos) const;
  // Bytes the index holds on the heap.
  size_t MemoryBytes() const;

 private:
  static constexpr size_t kGroupShift = 6;
  static constexpr size_t kGroupLines = size_t{1} << kGroupShift;
  static constexpr size_t kNoGroup = static_cast<size_t>(-1);
  // The starts of one group's lines, as read from the text when it had
  // nLength units.
  struct SGroup {
    size_t nGroup = kNoGroup;
    size_t nLength = 0;
    size_t nLines = 0;
    std::array<uint64_t, kGroupLines> aStarts{};
  };
  const SGroup& Group(const win::CTextRange& text, size_t nGroup) const;
  void Push(size_t nStart);

  std::vector<uint64_t> m_vecGroupStarts;
  size_t m_nLines = 0;
  size_t m_nLength = 0;
  // Units of the last line so far, for cutting pieces.
  size_t m_nRun = 0;
  // The indexed text ends in a CR whose LF may still come.
  bool m_bEndsInCR = false;
  // Groups read lately: a screen's rows rarely need more.
  mutable std::array<SGroup, 4> m_aGroups;
  mutable size_t m_nNextGroup = 0;
};

}  // namespace view
