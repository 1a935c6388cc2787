// Line settings as Open_Com gets them, and their termios form. Pure: no device is touched,
// so the mapping can be checked without hardware.
#pragma once

#include <termios.h>

#include <cstdint>
#include <string>

namespace tobrel {

struct SLineSettings {
  uint32_t nBaud;
  int8_t nDataBits;  // 5 to 8
  int8_t nParity;    // 0 none, 1 odd, 2 even, 3 space
  int8_t nStopBits;  // 0 one, 1 one and a half (5 data bits only), 2 two (not with 5 data bits)
};

// Bits of c_cflag that the settings own: each open clears them before setting its own,
// so nothing of an earlier open survives.
constexpr tcflag_t kOwnedCflag = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | CREAD | CLOCAL;
// Of those, the ones a device could silently refuse and that are read back.
constexpr tcflag_t kComparedCflag = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB;

struct SLineFlags {
  tcflag_t nCflag;    // within kOwnedCflag
  speed_t nSpeed;     // the Bxxx constant; B38400 as a placeholder when bCustomSpeed
  bool bCustomSpeed;  // no Bxxx constant: set through termios2 with BOTHER
  uint32_t nBaud;
  uint32_t nBitsPerChar;  // start, data, parity and stop bits, 1.5 counted as 2
};

// TOBREL_OK and the flags, or the result code naming the missing or wrong setting.
uint32_t MapLineSettings(const SLineSettings& settings, SLineFlags& flags);

// Empty when the device kept the settings, else what it changed ("asked for ..., the device
// has ..."). A baud rate within 2 % passes: drivers report the rate their divisor gives.
std::string DescribeMismatch(const SLineFlags& wanted, tcflag_t nCflagRead, uint32_t nBaudRead);

// Human text of the settings, "115200 baud, 8 data bits, no parity, 1 stop bit".
std::string DescribeSettings(tcflag_t nCflag, uint32_t nBaud);

}  // namespace tobrel
