// Baud rates through termios2, which takes any rate the driver accepts (BOTHER), not only
// the Bxxx constants. Kept apart: <asm/termbits.h> and <termios.h> cannot share a file.
#pragma once

#include <cstdint>

namespace tobrel {

// Both 0 or an errno value.
int SetLineSpeed(int nFd, uint32_t nBaud);
int ReadLineSpeed(int nFd, uint32_t& nBaud);

}  // namespace tobrel
