#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "LineIndex.h"
#include "SharedText.h"

using view::CLineIndex;

namespace {

std::vector<std::u16string> Lines(const CLineIndex& index, const win::CTextRange& text) {
  std::vector<std::u16string> lines;
  for (size_t i = 0; i < index.LineCount(); ++i) {
    size_t nStart = index.LineStart(text, i);
    lines.push_back(text.substr(nStart, index.LineEnd(text, i) - nStart).ToString());
  }
  return lines;
}

using L = std::vector<std::u16string>;

}  // namespace

TEST(LineIndex, CrLfLfAndCrEachEndOneLineAlsoAcrossAppends) {
  CLineIndex index;
  const win::CTextRange text = u"a\r\nb\nc\rd";
  index.Update(text, CLineIndex::kAppendedNone);
  EXPECT_EQ(Lines(index, text), (L{u"a", u"b", u"c", u"d"}));
  EXPECT_EQ(index.LineOf(text, 0), 0u);
  EXPECT_EQ(index.LineOf(text, 1), 0u);  // on the break
  EXPECT_EQ(index.LineOf(text, 2), 0u);
  EXPECT_EQ(index.LineOf(text, 3), 1u);
  EXPECT_EQ(index.LineOf(text, 8), 3u);

  // A CR at the end of one append and its LF at the start of the next.
  win::CSharedText shared;
  CLineIndex grown;
  for (std::u16string_view piece : {u"x\r", u"\ny\r", u"\r", u"\n", u"", u"z\n"}) {
    size_t nFrom = shared.Length();
    shared.Append(piece);
    grown.Update(shared.View(), nFrom);
  }
  EXPECT_EQ(shared.View(), u"x\r\ny\r\r\nz\n");
  EXPECT_EQ(Lines(grown, shared.View()), (L{u"x", u"y", u"", u"z", u""}));
  CLineIndex whole;
  whole.Update(shared.View(), CLineIndex::kAppendedNone);
  for (size_t i = 0; i <= shared.Length(); ++i)
    EXPECT_EQ(grown.LineOf(shared.View(), i), whole.LineOf(shared.View(), i)) << i;

  // Anything but an append starts over, an empty text has one empty line.
  grown.Update(u"new", CLineIndex::kAppendedNone);
  EXPECT_EQ(Lines(grown, u"new"), (L{u"new"}));
  grown.Update(u"", CLineIndex::kAppendedNone);
  EXPECT_EQ(grown.LineCount(), 1u);
  EXPECT_EQ(grown.Length(), 0u);
}

TEST(LineIndex, ATextWithoutBreaksIsIndexedInBoundedPiecesAndStaysSmall) {
  std::u16string strText(3 * CLineIndex::kMaxPiece + 10, u'q');
  // A surrogate pair across the first piece's end stays whole.
  strText[CLineIndex::kMaxPiece - 1] = 0xD83D;
  strText[CLineIndex::kMaxPiece] = 0xDE00;
  strText += u"\r\nend";
  const win::CTextRange text(strText);
  CLineIndex index;
  // Appended in odd pieces.
  for (size_t n = 0; n < text.size(); n += 777) index.Update(text.substr(0, std::min(n + 777, text.size())), n);
  ASSERT_EQ(index.LineCount(), 5u);
  EXPECT_EQ(index.LineStart(text, 1), CLineIndex::kMaxPiece + 1);
  std::u16string joined;
  for (const auto& line : Lines(index, text)) {
    // One unit more where a piece would have split a pair.
    EXPECT_LE(line.size(), CLineIndex::kMaxPiece + 1);
    joined += line;
  }
  EXPECT_EQ(joined, strText.substr(0, strText.size() - 5) + u"end");

  // About four bytes a line.
  std::u16string strMany;
  for (int i = 0; i < 100000; ++i) strMany += u"ab\r\n";
  const win::CTextRange many(strMany);
  index.Update(many, CLineIndex::kAppendedNone);
  EXPECT_EQ(index.LineCount(), 100001u);
  EXPECT_LT(index.MemoryBytes(), 100001u * 4 * 2 + 4096);
  EXPECT_EQ(index.LineOf(many, many.size()), 100000u);
  EXPECT_EQ(index.LineOf(many, 4 * 54321 + 1), 54321u);
  EXPECT_EQ(index.LineStart(many, 99999), 4u * 99999);
}
