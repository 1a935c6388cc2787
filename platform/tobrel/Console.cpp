#include "Console.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <fstream>
#include <string>

namespace {

bool MatchesSysfsTty(const std::string& strName, dev_t nDevice) {
  std::ifstream file("/sys/class/tty/" + strName + "/dev");
  unsigned nMajor = 0;
  unsigned nMinor = 0;
  char chColon = 0;
  if (!(file >> nMajor >> chColon >> nMinor) || chColon != ':') return false;
  return makedev(nMajor, nMinor) == nDevice;
}

}  // namespace

bool IsSystemConsole(dev_t nDevice) {
  struct stat st {};
  if (stat("/dev/console", &st) == 0 && S_ISCHR(st.st_mode) && st.st_rdev == nDevice) return true;
  std::ifstream active("/sys/class/tty/console/active");
  std::string strName;
  while (active >> strName) {
    if (MatchesSysfsTty(strName, nDevice)) return true;
  }
  return false;
}
