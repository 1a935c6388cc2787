#include "NetworkTarget.h"

#include <charconv>

namespace tobrel {

namespace {

constexpr std::string_view kRfc2217 = "rfc2217://";
constexpr std::string_view kTcp = "tcp://";

}  // namespace

std::string SNetworkTarget::Where() const {
  const bool bIpv6 = strHost.find(':') != std::string::npos;
  return (bIpv6 ? "[" + strHost + "]" : strHost) + ":" + strPort;
}

bool IsNetworkTarget(std::string_view target) { return target.starts_with(kRfc2217) || target.starts_with(kTcp); }

bool ParseNetworkTarget(std::string_view target, SNetworkTarget& network, std::string& strProblem) {
  network = {};
  network.bRfc2217 = target.starts_with(kRfc2217);
  std::string_view rest = target.substr(network.bRfc2217 ? kRfc2217.size() : kTcp.size());
  if (!rest.empty() && rest.back() == '/') rest.remove_suffix(1);
  std::string_view host;
  std::string_view port;
  if (rest.starts_with('[')) {
    const size_t nClose = rest.find(']');
    if (nClose == std::string_view::npos) {
      strProblem = "an IPv6 address without its closing ]";
      return false;
    }
    host = rest.substr(1, nClose - 1);
    rest.remove_prefix(nClose + 1);
    if (!rest.starts_with(':')) {
      strProblem = "no port after the host";
      return false;
    }
    port = rest.substr(1);
  } else {
    const size_t nColon = rest.rfind(':');
    if (nColon == std::string_view::npos) {
      strProblem = "no port after the host";
      return false;
    }
    host = rest.substr(0, nColon);
    port = rest.substr(nColon + 1);
    if (host.find(':') != std::string_view::npos) {
      strProblem = "an IPv6 address needs brackets, as [::1]:3001";
      return false;
    }
  }
  if (host.empty()) {
    strProblem = "no host";
    return false;
  }
  unsigned nPort = 0;
  const auto [pEnd, error] = std::from_chars(port.data(), port.data() + port.size(), nPort);
  if (port.empty() || error != std::errc() || pEnd != port.data() + port.size() || nPort == 0 || nPort > 65535) {
    strProblem = "the port must be a number from 1 to 65535";
    return false;
  }
  network.strHost = host;
  network.strPort = port;
  return true;
}

}  // namespace tobrel
