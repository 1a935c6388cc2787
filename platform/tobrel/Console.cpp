#include "Console.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <fstream>
#include <sstream>
#include <string>

#include "SystemRoot.h"

namespace tobrel {

namespace {

// Major numbers of the kernel's terminal devices.
constexpr unsigned kVirtualConsoleMajor = 4;  // tty0 to tty63; ttyS0 and on start at minor 64
constexpr unsigned kFirstSerialMinor = 64;
constexpr unsigned kTtyAuxMajor = 5;  // minor 0 /dev/tty, 1 /dev/console

bool MatchesSysfsTty(const std::string& strName, dev_t nDevice) {
  std::ifstream file(SystemPath("/sys/class/tty/" + strName + "/dev"));
  unsigned nMajor = 0;
  unsigned nMinor = 0;
  char chColon = 0;
  if (!(file >> nMajor >> chColon >> nMinor) || chColon != ':') return false;
  return makedev(nMajor, nMinor) == nDevice;
}

bool IsSystemConsole(dev_t nDevice) {
  struct stat st {};
  if (stat(SystemPath("/dev/console").c_str(), &st) == 0 && S_ISCHR(st.st_mode) && st.st_rdev == nDevice) return true;
  std::ifstream active(SystemPath("/sys/class/tty/console/active"));
  std::string strName;
  while (active >> strName) {
    if (MatchesSysfsTty(strName, nDevice)) return true;
  }
  return false;
}

// The controlling terminal's number, field 7 of /proc/self/stat; 0 without one.
dev_t ControllingTerminal() {
  std::ifstream stat("/proc/self/stat");
  std::string strLine;
  std::getline(stat, strLine);
  // The command name in field 2 may hold spaces and parentheses: count from its end.
  const size_t nEnd = strLine.rfind(')');
  if (nEnd == std::string::npos) return 0;
  std::istringstream fields(strLine.substr(nEnd + 1));
  std::string strState;
  long nParent = 0;
  long nGroup = 0;
  long nSession = 0;
  unsigned long nTty = 0;
  if (!(fields >> strState >> nParent >> nGroup >> nSession >> nTty)) return 0;
  return makedev((nTty >> 8) & 0xFFF, (nTty & 0xFF) | ((nTty >> 12) & 0xFFF00));
}

}  // namespace

const char* TerminalRefusal(dev_t nDevice) {
  if (IsSystemConsole(nDevice) || nDevice == makedev(kTtyAuxMajor, 1)) return "the system console";
  if (nDevice == makedev(kTtyAuxMajor, 0)) return "the terminal this program runs in";
  if (major(nDevice) == kVirtualConsoleMajor && minor(nDevice) < kFirstSerialMinor) return "a virtual console";
  const dev_t nOwn = ControllingTerminal();
  if (nOwn != 0 && nDevice == nOwn) return "the terminal this program runs in";
  return nullptr;
}

}  // namespace tobrel
