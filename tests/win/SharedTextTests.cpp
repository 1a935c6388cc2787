#include <gtest/gtest.h>

#include "SharedText.h"

using win::CSharedText;

TEST(SharedText, ViewsOfOneStorageKeepTheirPrefixWhileTheLongestGrows) {
  CSharedText record(u"ab");
  CSharedText shown = record;  // as a window holds it
  record.Append(u"cd");
  EXPECT_TRUE(record.SharesStorageWith(shown));
  EXPECT_EQ(shown.View(), u"ab");
  EXPECT_EQ(record.View(), u"abcd");

  // A shorter view that grows must not overwrite what the longer one shows.
  shown.Append(u"XY");
  EXPECT_EQ(shown.View(), u"abXY");
  EXPECT_EQ(record.View(), u"abcd");
  EXPECT_FALSE(shown.SharesStorageWith(record));

  // Rewriting a shared string leaves the other view alone.
  CSharedText copy = record;
  record.Assign(u"new");
  EXPECT_EQ(copy.View(), u"abcd");
  EXPECT_EQ(record.View(), u"new");
  record.Clear();
  EXPECT_EQ(copy.View(), u"abcd");
  EXPECT_TRUE(record.IsEmpty());
}

TEST(SharedText, AppendsAreAmortisedAndMayComeFromTheTextItself) {
  CSharedText text;
  size_t nReallocations = 0, nLastCapacity = 0;
  for (int i = 0; i < 100000; ++i) {
    text.Append(u"x");
    if (text.ResidentBytes() != nLastCapacity) ++nReallocations, nLastCapacity = text.ResidentBytes();
  }
  EXPECT_EQ(text.Length(), 100000u);
  EXPECT_LT(nReallocations, 40u);

  CSharedText self(u"abc");
  self.Append(self.View());
  EXPECT_EQ(self.View(), u"abcabc");
  self.Assign(self.View().substr(2));
  EXPECT_EQ(self.View(), u"cabc");
}
