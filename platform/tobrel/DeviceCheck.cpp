#include "DeviceCheck.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cerrno>
#include <fstream>
#include <sstream>

#include "Console.h"

namespace tobrel {

namespace {

// Whether the kernel's terminal layer serves the device: a line of /proc/tty/drivers
// ("serial /dev/ttyS 4 64-111 serial") holds its major and minor number. Where that list
// cannot be read, it may be one.
bool IsTerminalDevice(dev_t nDevice) {
  std::ifstream drivers("/proc/tty/drivers");
  if (!drivers) return true;
  for (std::string strLine; std::getline(drivers, strLine);) {
    std::istringstream fields(strLine);
    std::string strName, strNode;
    unsigned nMajor = 0, nFirst = 0, nLast = 0;
    char chDash = 0;
    if (!(fields >> strName >> strNode >> nMajor >> nFirst)) continue;
    nLast = nFirst;
    if (fields.peek() == '-') fields >> chDash >> nLast;
    if (major(nDevice) == nMajor && minor(nDevice) >= nFirst && minor(nDevice) <= nLast) return true;
  }
  return false;
}

}  // namespace

SDeviceCheck CheckDevice(const std::string& strPath, bool bConfirmedSerial) {
  struct stat st {};
  if (stat(strPath.c_str(), &st) != 0) return {errno, nullptr};
  if (!S_ISCHR(st.st_mode) || !IsTerminalDevice(st.st_rdev)) return {ENOTTY, nullptr};
  const char* pszRefusal = TerminalRefusal(st.st_rdev);
  if (bConfirmedSerial && pszRefusal == kOtherSessionsTerminal) pszRefusal = nullptr;
  return {0, pszRefusal};
}

}  // namespace tobrel
