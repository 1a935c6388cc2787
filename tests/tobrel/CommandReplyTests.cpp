#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "CommandReply.h"

using namespace tobrel;

namespace {

size_t Feed(const std::string& strData, SCommandReply& reply) {
  return ParseCommandReply(reinterpret_cast<const uint8_t*>(strData.data()), strData.size(), reply);
}

}  // namespace

TEST(TobrelCommandReply, TakesOneLineAndLeavesTheRest) {
  SCommandReply reply;
  ClearCommandReply(reply);
  EXPECT_EQ(Feed("!00KESTRA-7017\r>\r", reply), 15u);
  EXPECT_TRUE(reply.bComplete);
  EXPECT_FALSE(reply.bTruncated);
  EXPECT_STREQ(reply.szText, "!00KESTRA-7017");
  EXPECT_EQ(reply.nLength, 14u);
  EXPECT_EQ(Feed(">\r", reply), 0u);

  // In pieces, as the bytes arrive; the LF of an echoed line's CR LF is skipped.
  ClearCommandReply(reply);
  EXPECT_EQ(Feed("\n!0", reply), 3u);
  EXPECT_FALSE(reply.bComplete);
  EXPECT_STREQ(reply.szText, "!0");
  EXPECT_EQ(Feed("1\nX", reply), 3u);
  EXPECT_EQ(Feed("\rrest", reply), 1u);
  EXPECT_STREQ(reply.szText, "!01\nX");

  ClearCommandReply(reply);
  EXPECT_EQ(Feed("\r", reply), 1u);
  EXPECT_TRUE(reply.bComplete);
  EXPECT_STREQ(reply.szText, "");

  ClearCommandReply(reply);
  EXPECT_EQ(ParseCommandReply(nullptr, 0, reply), 0u);
  EXPECT_FALSE(reply.bComplete);
}

TEST(TobrelCommandReply, LongReplyStopsAt99Characters) {
  SCommandReply reply;
  ClearCommandReply(reply);
  const std::string strLong(150, 'x');
  EXPECT_EQ(Feed(strLong.substr(0, 120), reply), 120u);
  EXPECT_EQ(reply.nLength, 99u);
  EXPECT_TRUE(reply.bTruncated);
  EXPECT_EQ(Feed(strLong.substr(120) + "\rnext", reply), 31u);
  EXPECT_TRUE(reply.bComplete);
  EXPECT_EQ(std::strlen(reply.szText), 99u);
  EXPECT_EQ(std::string(reply.szText), strLong.substr(0, 99));

  // Exactly 99 is not truncated.
  ClearCommandReply(reply);
  Feed(strLong.substr(0, 99) + "\r", reply);
  EXPECT_FALSE(reply.bTruncated);
  EXPECT_EQ(reply.nLength, 99u);
}

TEST(TobrelCommandReply, ChecksumIsVerifiedAndStripped) {
  EXPECT_EQ(CommandChecksum("$00M", 4), 0xD1);
  EXPECT_EQ(CommandChecksum("", 0), 0);
  EXPECT_EQ(CommandChecksum("\xFF\xFF", 2), 0xFE);

  SCommandReply reply;
  ClearCommandReply(reply);
  Feed("!01D2\r", reply);  // '!' + '0' + '1' = 0x21 + 0x30 + 0x31 = 0x82
  EXPECT_FALSE(StripReplyChecksum(reply));
  EXPECT_STREQ(reply.szText, "!01D2");

  ClearCommandReply(reply);
  Feed("!0182\r", reply);
  EXPECT_TRUE(StripReplyChecksum(reply));
  EXPECT_STREQ(reply.szText, "!01");
  EXPECT_EQ(reply.nLength, 3u);

  ClearCommandReply(reply);
  Feed(">3e\r", reply);
  EXPECT_TRUE(StripReplyChecksum(reply));
  EXPECT_STREQ(reply.szText, ">");

  ClearCommandReply(reply);
  Feed("7\r", reply);
  EXPECT_FALSE(StripReplyChecksum(reply));
  ClearCommandReply(reply);
  Feed("!0G2\r", reply);
  EXPECT_FALSE(StripReplyChecksum(reply));
}
