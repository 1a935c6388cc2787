// Whether a path can be a serial port, decided before anything opens it: Open Com refuses by
// it and the port map says by it what is wrong with a device.
#pragma once

#include <string>

namespace tobrel {

struct SDeviceCheck {
  int nError = 0;                    // why it is no terminal: stat's errno, or ENOTTY; 0 when it is one
  const char* pszRefusal = nullptr;  // a terminal that must not be taken over (see TerminalRefusal)
};

// bConfirmedSerial: the person confirmed that the device is a serial line, even if it is
// another session's terminal.
SDeviceCheck CheckDevice(const std::string& strPath, bool bConfirmedSerial);

}  // namespace tobrel
