// A long record's index: every line found where a plain reading of the text
// finds it, whatever the lines' lengths and in whatever order they are asked
// for, and an eighth of a byte a line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "LineIndex.h"
#include "SharedText.h"

using view::CLineIndex;

namespace {

// Line starts as a person counts them: after CR LF, LF or CR, and every
// kMaxPiece units of a line without a break.
std::vector<size_t> PlainStarts(std::u16string_view text) {
  std::vector<size_t> starts{0};
  size_t nRun = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r' || text[i] == u'\n') {
      if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      starts.push_back(i + 1);
      nRun = 0;
    } else {
      if (nRun == CLineIndex::kMaxPiece) {
        starts.push_back(i);
        nRun = 0;
      }
      ++nRun;
    }
  }
  return starts;
}

// The record's older text in the store's file from its second chunk on.
class CStoredText {
 public:
  CStoredText() {
    char szDir[] = "/tmp/quorvel-index-XXXXXX";
    if (mkdtemp(szDir)) m_strDir = szDir;
    setenv("XDG_CACHE_HOME", m_strDir.c_str(), 1);
    win::SetTextResidentBound(win::CTextStore::kChunkUnits);
  }
  ~CStoredText() {
    win::SetTextResidentBound(win::kDefaultResidentBound);
    unsetenv("XDG_CACHE_HOME");
    std::filesystem::remove_all(m_strDir);
  }

 private:
  std::string m_strDir;
};

}  // namespace

TEST(LineIndexSize, LinesOfEveryLengthAsAppendedInPiecesAndAskedForInAnyOrder) {
  CStoredText stored;
  std::mt19937 random(7);
  std::u16string text;
  // Short lines, lines just under, at and over the longest piece, and runs
  // of the longest lines one after another, with each kind of break.
  const std::u16string_view breaks[] = {u"\r\n", u"\n", u"\r"};
  for (int i = 0; i < 4000; ++i) {
    size_t nLength = 0;
    switch (random() % 8) {
      case 0:
        nLength = CLineIndex::kMaxPiece - 1 + random() % 3;
        break;
      case 1:
        nLength = random() % (3 * CLineIndex::kMaxPiece);
        break;
      default:
        nLength = random() % 100;
    }
    if (i >= 100 && i < 140) nLength = CLineIndex::kMaxPiece;
    text.append(nLength, static_cast<char16_t>(u'a' + i % 26));
    text += breaks[random() % 3];
  }
  std::vector<size_t> starts = PlainStarts(text);
  win::CSharedText shared;
  CLineIndex index;
  for (size_t nFrom = 0; nFrom < text.size();) {
    // Odd pieces, so that a CR LF is often split.
    size_t nCount = std::min<size_t>(text.size() - nFrom, 1 + random() % 5000);
    shared.Append(std::u16string_view(text).substr(nFrom, nCount));
    index.Update(shared.View(), nFrom);
    nFrom += nCount;
    // The last line so far, as the box asks for it after each append: a CR
    // whose LF is still to come ends a line for now.
    size_t nLines = static_cast<size_t>(std::upper_bound(starts.begin(), starts.end(), nFrom) - starts.begin());
    size_t nLast = starts[nLines - 1];
    if (text[nFrom - 1] == u'\r' && nFrom < text.size() && text[nFrom] == u'\n') {
      ++nLines;
      nLast = nFrom;
    }
    ASSERT_EQ(index.LineCount(), nLines) << nFrom;
    ASSERT_EQ(index.LineStart(shared.View(), nLines - 1), nLast) << nFrom;
    ASSERT_EQ(index.LineOf(shared.View(), nFrom), nLines - 1) << nFrom;
  }
  ASSERT_EQ(index.LineCount(), starts.size());
  // Asked for again, through the record as it grew, its start read back from the file.
  const win::CTextRange whole = shared.View();
  ASSERT_GT(whole.Store()->StoredBytes(), 0u);
  for (size_t i = 0; i < starts.size(); ++i) {
    ASSERT_EQ(index.LineStart(whole, i), starts[i]) << i;
    ASSERT_EQ(index.LineOf(whole, starts[i]), i) << i;
    // The unit before a line's start is its predecessor's last.
    if (i > 0) {
      ASSERT_EQ(index.LineOf(whole, starts[i] - 1), i - 1) << i;
    }
  }
  EXPECT_EQ(index.LineOf(whole, text.size()), starts.size() - 1);
  // Asked for in no order, as a person jumps about the record.
  for (int i = 0; i < 1000; ++i) {
    size_t nLine = random() % starts.size();
    ASSERT_EQ(index.LineStart(whole, nLine), starts[nLine]) << nLine;
    size_t nPos = random() % (text.size() + 1);
    size_t nExpected = static_cast<size_t>(std::upper_bound(starts.begin(), starts.end(), nPos) - starts.begin()) - 1;
    ASSERT_EQ(index.LineOf(whole, nPos), nExpected) << nPos;
  }

  // Starting afresh gives the same lines.
  CLineIndex afresh;
  afresh.Update(whole, CLineIndex::kAppendedNone);
  for (size_t i = 0; i < starts.size(); ++i) ASSERT_EQ(afresh.LineStart(whole, i), starts[i]) << i;
}

TEST(LineIndexSize, AMillionLinesTakeAnEighthOfAByteEach) {
  std::u16string text;
  for (int i = 0; i < 1000000; ++i) text += u"0123456\r\n";
  const win::CTextRange range(text);
  CLineIndex index;
  index.Update(range, CLineIndex::kAppendedNone);
  ASSERT_EQ(index.LineCount(), 1000001u);
  // Growing may leave room for as many again.
  EXPECT_LT(index.MemoryBytes(), 1000001u / 4 + 1024);
  EXPECT_EQ(index.LineStart(range, 765432), 9u * 765432);
  EXPECT_EQ(index.LineOf(range, 9 * 999999 + 3), 999999u);
  // Clearing gives the memory back.
  index.Update(u"", CLineIndex::kAppendedNone);
  EXPECT_LE(index.MemoryBytes(), 8u);
}
