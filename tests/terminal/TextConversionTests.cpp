#include <gtest/gtest.h>

#include "TextConversion.h"

TEST(TextConversion, IntervalReadsLikeADecimalIntegerAndSaturates) {
  EXPECT_EQ(ParseInterval(u"250"), 250);
  EXPECT_EQ(ParseInterval(u"  -5x"), -5);
  EXPECT_EQ(ParseInterval(u"\t+42 ms"), 42);
  EXPECT_EQ(ParseInterval(u"abc"), 0);
  EXPECT_EQ(ParseInterval(u""), 0);
  EXPECT_EQ(ParseInterval(u"- 5"), 0);
  EXPECT_EQ(ParseInterval(u"2147483647"), 2147483647);
  EXPECT_EQ(ParseInterval(u"2147483648"), 2147483647);
  EXPECT_EQ(ParseInterval(u"-2147483648"), -2147483647 - 1);
  EXPECT_EQ(ParseInterval(u"-99999999999999999999999999"), -2147483647 - 1);
  // Each character is narrowed first: U+0131 is '1', U+0120 a blank.
  EXPECT_EQ(ParseInterval(u"\u0120\u01317"), 17);
  // A text of any length is read whole.
  EXPECT_EQ(ParseInterval(std::u16string(200, u' ') + u"77"), 77);
  EXPECT_EQ(ParseInterval(std::u16string(200, u'0') + u"77"), 77);
}

TEST(TextConversion, WideningIsLatinOneAndShowsReceivedZeroBytes) {
  EXPECT_EQ(Widen(0xB0), u'\u00B0');
  EXPECT_EQ(Widen(0x41), u'A');
  EXPECT_EQ(WidenReceived(0xFF), u'\u00FF');
  EXPECT_EQ(WidenReceived(0x00), u'\u2400');
  for (int b = 0; b < 256; ++b) EXPECT_EQ(Narrow(Widen(static_cast<uint8_t>(b))), b);
  EXPECT_EQ(Narrow(u'\u20AC'), 0xAC);
}

TEST(TextConversion, TypedSettingsAreReadStrictly) {
  EXPECT_EQ(ParsePortText(u"COM10"), 10);
  EXPECT_EQ(ParsePortText(u"com1"), 1);
  EXPECT_FALSE(ParsePortText(u"COM"));
  EXPECT_FALSE(ParsePortText(u"COM1x"));
  EXPECT_FALSE(ParsePortText(u"COM-1"));
  EXPECT_EQ(ParseBaudText(u"250000"), 250000u);
  EXPECT_EQ(ParseBaudText(u"4294967295"), 4294967295u);
  EXPECT_FALSE(ParseBaudText(u"4294967296"));
  EXPECT_FALSE(ParseBaudText(u"-9600"));
  EXPECT_FALSE(ParseBaudText(u"96 00"));
  EXPECT_EQ(ParseDataBitsText(u"5"), 5);
  EXPECT_FALSE(ParseDataBitsText(u"4"));
  EXPECT_FALSE(ParseDataBitsText(u"8.0"));
}

TEST(TextConversion, TheFirstWideCharacterIsFoundWithItsCodePointAndPosition) {
  EXPECT_FALSE(FindWideCharacter(u"plain \u00E9\u00FF"));
  auto wide = FindWideCharacter(u"\U0001F600a");
  ASSERT_TRUE(wide);
  EXPECT_EQ(wide->units, u"\U0001F600");
  EXPECT_EQ(wide->codePoint, U'\U0001F600');
  // A surrogate without its partner is a character of its own.
  wide = FindWideCharacter(u"ab\xD83D");
  ASSERT_TRUE(wide);
  EXPECT_EQ(wide->codePoint, 0xD83Du);
  EXPECT_EQ(wide->nPosition, 3u);
  wide = FindWideCharacter(u"\xDE00\U0001F600z");
  ASSERT_TRUE(wide);
  EXPECT_EQ(wide->nPosition, 1u);
  EXPECT_EQ(wide->codePoint, 0xDE00u);
}
