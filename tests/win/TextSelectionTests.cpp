#include <gtest/gtest.h>

#include "TextSelection.h"

using namespace win;

TEST(TextSelection, StopsWordsAndEnds) {
  std::u16string_view text = u"ab\r\ncd \U0001F600 e,f";
  EXPECT_EQ(NextStop(text, 2), 4u);  // CR LF is one step
  EXPECT_EQ(PreviousStop(text, 4), 2u);
  EXPECT_EQ(NextStop(text, 7), 9u);  // and so is a surrogate pair
  EXPECT_EQ(PreviousStop(text, 9), 7u);
  EXPECT_EQ(NextStop(text, text.size()), text.size());
  EXPECT_EQ(PreviousStop(text, 0), 0u);

  EXPECT_EQ(WordAround(text, 5), (std::pair<size_t, size_t>{4, 6}));
  EXPECT_EQ(WordAround(text, 3), (std::pair<size_t, size_t>{2, 4}));
  EXPECT_EQ(WordAround(text, 11), (std::pair<size_t, size_t>{11, 12}));  // the comma
  EXPECT_EQ(NextWordStart(text, 4), 7u);
  EXPECT_EQ(PreviousWordStart(text, 7), 4u);
  EXPECT_EQ(PreviousWordStart(text, 0), 0u);

  CTextSelection selection;
  selection.MoveCaret(5, false);
  selection.MoveCaret(2, true);
  EXPECT_EQ(selection.Start(), 2u);
  EXPECT_EQ(selection.End(), 5u);
  EXPECT_EQ(selection.Anchor(), 5u);
  selection.Clamp(3);
  EXPECT_EQ(selection.End(), 3u);
  selection.MoveCaret(1, false);
  EXPECT_TRUE(selection.IsEmpty());
}
