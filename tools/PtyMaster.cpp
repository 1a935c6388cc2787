#include "PtyMaster.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>

std::optional<SPtyMaster> OpenPtyMaster(int nFlags) {
  const int nFd = posix_openpt(O_RDWR | O_NOCTTY | nFlags);
  if (nFd < 0) return std::nullopt;
  char szName[256];
  if (grantpt(nFd) != 0 || unlockpt(nFd) != 0 || ptsname_r(nFd, szName, sizeof szName) != 0) {
    const int nError = errno;
    close(nFd);
    errno = nError;
    return std::nullopt;
  }
  return SPtyMaster{nFd, szName};
}
