#include <gtest/gtest.h>

#include <utility>

#include "Settings.h"
#include "TobrelResults.h"

using namespace tobrel;

namespace {

constexpr std::pair<uint32_t, speed_t> kListRates[] = {
    {2400, B2400},   {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600}, {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600},
};

uint32_t Map(uint32_t nBaud, int8_t nData, int8_t nParity, int8_t nStop) {
  SLineFlags flags{};
  return MapLineSettings(SLineSettings{nBaud, nData, nParity, nStop}, flags);
}

}  // namespace

TEST(TobrelLineSettings, EveryListValueMapsToItsFlags) {
  const tcflag_t aSize[] = {CS5, CS6, CS7, CS8};
  const tcflag_t aParity[] = {0, PARENB | PARODD, PARENB, PARENB | CMSPAR};
  int nValid = 0;
  for (const auto& [nBaud, nSpeed] : kListRates) {
    for (int8_t nData = 5; nData <= 8; ++nData) {
      for (int8_t nParity = 0; nParity <= 3; ++nParity) {
        for (int8_t nStop = 0; nStop <= 2; ++nStop) {
          if ((nStop == 1 && nData != 5) || (nStop == 2 && nData == 5)) continue;
          SCOPED_TRACE(testing::Message() << nBaud << " " << int(nData) << " " << int(nParity) << " " << int(nStop));
          SLineFlags flags{};
          ASSERT_EQ(MapLineSettings(SLineSettings{nBaud, nData, nParity, nStop}, flags), TOBREL_OK);
          EXPECT_EQ(flags.nCflag & CSIZE, aSize[nData - 5]);
          EXPECT_EQ(flags.nCflag & (PARENB | PARODD | CMSPAR), aParity[nParity]);
          EXPECT_EQ((flags.nCflag & CSTOPB) != 0, nStop != 0);
          EXPECT_EQ(flags.nCflag & (CREAD | CLOCAL), tcflag_t{CREAD | CLOCAL});
          EXPECT_EQ(flags.nCflag & CRTSCTS, 0u);
          EXPECT_EQ(flags.nCflag & ~kOwnedCflag, 0u);
          EXPECT_EQ(flags.nSpeed, nSpeed);
          EXPECT_FALSE(flags.bCustomSpeed);
          EXPECT_EQ(flags.nBaud, nBaud);
          EXPECT_EQ(flags.nBitsPerChar, 1u + nData + (nParity ? 1 : 0) + (nStop ? 2 : 1));
          ++nValid;
        }
      }
    }
  }
  // 8 stop-bit choices per parity and rate: 5 bits with 1 or 1.5, 6 to 8 bits with 1 or 2.
  EXPECT_EQ(nValid, 10 * 4 * 8);
}

TEST(TobrelLineSettings, MissingOrWrongValuesNameTheSetting) {
  EXPECT_EQ(Map(0, 8, 0, 0), TOBREL_ERR_BAUD);
  for (int8_t nData : {-1, 0, 4, 9, 127}) EXPECT_EQ(Map(115200, nData, 0, 0), TOBREL_ERR_DATA_BITS) << int(nData);
  for (int8_t nParity : {-1, 4, -128}) EXPECT_EQ(Map(115200, 8, nParity, 0), TOBREL_ERR_PARITY) << int(nParity);
  for (int8_t nStop : {-1, 3, 100}) EXPECT_EQ(Map(115200, 8, 0, nStop), TOBREL_ERR_STOP_BITS) << int(nStop);
  for (int8_t nData : {6, 7, 8}) EXPECT_EQ(Map(9600, nData, 0, 1), TOBREL_ERR_STOP_BITS_UNSUPPORTED) << int(nData);
  EXPECT_EQ(Map(9600, 5, 2, 2), TOBREL_ERR_TWO_STOP_FIVE_DATA);
  // The first missing setting is the one reported, in the dialog's order.
  EXPECT_EQ(Map(9600, 8, -1, -1), TOBREL_ERR_PARITY);
}

TEST(TobrelLineSettings, RatesWithoutConstantGoThroughTermios2) {
  for (uint32_t nBaud : {250000u, 31250u, 1234567u, 100u}) {
    SLineFlags flags{};
    ASSERT_EQ(MapLineSettings(SLineSettings{nBaud, 8, 0, 0}, flags), TOBREL_OK);
    EXPECT_TRUE(flags.bCustomSpeed) << nBaud;
    EXPECT_EQ(flags.nBaud, nBaud);
  }
  SLineFlags flags{};
  ASSERT_EQ(MapLineSettings(SLineSettings{4000000, 8, 0, 0}, flags), TOBREL_OK);
  EXPECT_FALSE(flags.bCustomSpeed);
  EXPECT_EQ(flags.nSpeed, speed_t{B4000000});
}

TEST(TobrelLineSettings, ReadBackFindsRefusedSettings) {
  SLineFlags flags{};
  ASSERT_EQ(MapLineSettings(SLineSettings{921600, 7, 2, 2}, flags), TOBREL_OK);
  const tcflag_t nKept = flags.nCflag | HUPCL;
  EXPECT_EQ(DescribeMismatch(flags, nKept, 921600), "");
  EXPECT_EQ(DescribeMismatch(flags, nKept, 921600 + 9000), "");

  EXPECT_EQ(DescribeMismatch(flags, nKept, 115200),
            "asked for 921600 baud, 7 data bits, even parity, 2 stop bits, the device has "
            "115200 baud, 7 data bits, even parity, 2 stop bits");
  const std::string strSize = DescribeMismatch(flags, (nKept & ~CSIZE) | CS8, 921600);
  EXPECT_NE(strSize.find("the device has 921600 baud, 8 data bits"), std::string::npos) << strSize;
  EXPECT_NE(DescribeMismatch(flags, nKept & ~PARENB, 921600).find("has 921600 baud, 7 data bits, no parity"),
            std::string::npos);
  EXPECT_NE(DescribeMismatch(flags, nKept & ~CSTOPB, 921600), "");

  ASSERT_EQ(MapLineSettings(SLineSettings{9600, 5, 3, 1}, flags), TOBREL_OK);
  EXPECT_EQ(DescribeSettings(flags.nCflag, 9600), "9600 baud, 5 data bits, space parity, 1.5 stop bits");
  EXPECT_NE(DescribeMismatch(flags, flags.nCflag & ~CMSPAR, 9600), "");
}
