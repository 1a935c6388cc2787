// Reaching a network port: a TCP connection made within a deadline, name look-up included,
// that notices a dead link within about ten seconds.
#pragma once

#include <chrono>
#include <string>

#include "NetworkTarget.h"

namespace tobrel {

// The longest a connection may take, name look-up included; the dialog waits no longer.
constexpr std::chrono::seconds kReachTime{3};

// A connected, non-blocking socket, or -1 and why not ("Connection refused").
int ConnectWithin(const SNetworkTarget& network, std::chrono::steady_clock::time_point deadline,
                  std::string& strReason);

}  // namespace tobrel
