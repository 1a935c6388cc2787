#include "LineSpeed.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cerrno>

namespace tobrel {

int SetLineSpeed(int nFd, uint32_t nBaud) {
  struct termios2 tio {};
  if (ioctl(nFd, TCGETS2, &tio) != 0) return errno;
  // Input speed follows the output speed when its own field is zero.
  tio.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
  tio.c_cflag |= BOTHER;
  tio.c_ospeed = nBaud;
  tio.c_ispeed = nBaud;
  if (ioctl(nFd, TCSETS2, &tio) != 0) return errno;
  return 0;
}

int ReadLineSpeed(int nFd, uint32_t& nBaud) {
  struct termios2 tio {};
  if (ioctl(nFd, TCGETS2, &tio) != 0) return errno;
  nBaud = tio.c_ospeed;
  return 0;
}

}  // namespace tobrel
