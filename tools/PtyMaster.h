// A new pseudo-terminal for whoever plays the device on its master side: the simulator, the
// tests and the benchmarks.
#pragma once

#include <optional>
#include <string>

struct SPtyMaster {
  int nFd = -1;          // the master side, granted and unlocked; the caller closes it
  std::string strSlave;  // the path the terminal opens as its port
};

// nFlags join O_RDWR | O_NOCTTY (O_CLOEXEC, O_NONBLOCK). Nothing, with errno set, when the
// system has no pseudo-terminal to give.
std::optional<SPtyMaster> OpenPtyMaster(int nFlags = 0);
