// A COM number's target on another machine: rfc2217://HOST:PORT (telnet with the serial
// settings sent to the server) or tcp://HOST:PORT (raw bytes, the server's settings apply).
#pragma once

#include <string>
#include <string_view>

namespace tobrel {

struct SNetworkTarget {
  bool bRfc2217 = false;
  std::string strHost;  // a name, an IPv4 address or an IPv6 address without its brackets
  std::string strPort;  // 1 to 65535
  // "lab-pi:3001", "[::1]:3001"
  std::string Where() const;
};

// Whether the target is written as a network port at all.
bool IsNetworkTarget(std::string_view target);
// The parts of a network target; false and what is wrong with it ("no port after the host").
bool ParseNetworkTarget(std::string_view target, SNetworkTarget& network, std::string& strProblem);

}  // namespace tobrel
