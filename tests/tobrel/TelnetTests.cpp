// The telnet layer and the way network targets are written, without a network.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "NetworkTarget.h"
#include "RemoteLine.h"
#include "Telnet.h"

using namespace tobrel;
using namespace tobrel::telnet;

TEST(Telnet, IacIsDoubledOutAndCommandsSplitAcrossReadsAreTakenOutOfTheData) {
  const std::vector<uint8_t> vecData = {'a', kIac, 'b', kIac, kIac};
  std::vector<uint8_t> vecWire;
  EscapeIac(vecData.data(), vecData.size(), vecWire);
  EXPECT_EQ(vecWire, std::vector<uint8_t>({'a', kIac, kIac, 'b', kIac, kIac, kIac, kIac}));

  // Data, an escaped 0xFF, a DO split between reads, and a baud rate answer whose value holds 0xFF.
  std::vector<uint8_t> vecStream = {'x', kIac, kIac, kIac, kDo, kComPort, 'y', kIac, kSb,  kComPort, 101,
                                    0,   1,    kIac, kIac, 0,   kIac,     kSe, 'z',  kIac, 241};
  vecStream.push_back('!');
  CTelnetDecoder decoder;
  std::vector<uint8_t> vecOut;
  size_t nFrom = 0;
  for (const size_t nSplit : {size_t{4}, size_t{9}, vecStream.size()}) {
    std::vector<uint8_t> vecRead(vecStream.begin() + static_cast<long>(nFrom),
                                 vecStream.begin() + static_cast<long>(nSplit));
    vecRead.resize(decoder.Decode(vecRead.data(), vecRead.size()));
    vecOut.insert(vecOut.end(), vecRead.begin(), vecRead.end());
    nFrom = nSplit;
  }
  EXPECT_EQ(vecOut, std::vector<uint8_t>({'x', kIac, 'y', 'z', '!'}));
  const auto vecCommands = decoder.TakeCommands();
  ASSERT_EQ(vecCommands.size(), 2u);
  EXPECT_EQ(vecCommands[0].nVerb, kDo);
  EXPECT_EQ(vecCommands[0].nOption, kComPort);
  EXPECT_EQ(vecCommands[1].nVerb, kSb);
  EXPECT_EQ(vecCommands[1].vecData, std::vector<uint8_t>({101, 0, 1, kIac, 0}));

  decoder.StopKeeping();
  std::vector<uint8_t> vecLater = {kIac, kWill, kEcho, 'q'};
  EXPECT_EQ(decoder.Decode(vecLater.data(), vecLater.size()), 1u);
  EXPECT_TRUE(decoder.TakeCommands().empty());
}

TEST(Telnet, SettingsInRfc2217TermsAndBackAsTheServerAnswered) {
  SLineFlags flags{CS5 | CSTOPB | PARENB | CMSPAR, B9600, false, 9600, 8};
  const SRemoteSettings asked = RemoteSettings(flags);
  EXPECT_EQ(asked.nDataSize, 5);
  EXPECT_EQ(asked.nParity, 5);
  EXPECT_EQ(asked.nStopSize, 3);
  EXPECT_EQ(AnsweredCflag(asked, {}), flags.nCflag);
  // A server that kept 8 data bits and no parity.
  EXPECT_EQ(AnsweredCflag(asked, {9600, 8, 1, 0}), tcflag_t{CS8 | CSTOPB});
  flags.nCflag = CS8 | PARENB | PARODD;
  EXPECT_EQ(RemoteSettings(flags).nParity, 2);
  EXPECT_EQ(RemoteSettings(flags).nStopSize, 1);
}

TEST(NetworkTarget, HostsPortsAndWhatIsWrongWithThem) {
  SNetworkTarget network;
  std::string strProblem;
  ASSERT_TRUE(ParseNetworkTarget("rfc2217://lab-pi:3001", network, strProblem));
  EXPECT_TRUE(network.bRfc2217);
  EXPECT_EQ(network.Where(), "lab-pi:3001");
  ASSERT_TRUE(ParseNetworkTarget("tcp://[::1]:4000/", network, strProblem));
  EXPECT_FALSE(network.bRfc2217);
  EXPECT_EQ(network.strHost, "::1");
  EXPECT_EQ(network.Where(), "[::1]:4000");
  ASSERT_TRUE(ParseNetworkTarget("tcp://10.0.0.7:23", network, strProblem));
  EXPECT_EQ(network.Where(), "10.0.0.7:23");

  EXPECT_TRUE(IsNetworkTarget("tcp://x:1"));
  EXPECT_FALSE(IsNetworkTarget("/dev/ttyUSB0"));
  const auto problem = [&](const char* pszTarget) {
    EXPECT_FALSE(ParseNetworkTarget(pszTarget, network, strProblem)) << pszTarget;
    return strProblem;
  };
  EXPECT_EQ(problem("rfc2217://lab-pi"), "no port after the host");
  EXPECT_EQ(problem("rfc2217://:3001"), "no host");
  EXPECT_EQ(problem("tcp://::1:3001"), "an IPv6 address needs brackets, as [::1]:3001");
  EXPECT_EQ(problem("tcp://[::1:3001"), "an IPv6 address without its closing ]");
  EXPECT_EQ(problem("tcp://host:70000"), "the port must be a number from 1 to 65535");
  EXPECT_EQ(problem("tcp://host:30x"), "the port must be a number from 1 to 65535");
}
