#include "Console.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "SystemRoot.h"

namespace tobrel {

namespace {

// Major numbers of the kernel's terminal devices.
constexpr unsigned kVirtualConsoleMajor = 4;  // tty0 to tty63; ttyS0 and on start at minor 64
constexpr unsigned kFirstSerialMinor = 64;
constexpr unsigned kTtyAuxMajor = 5;  // minor 0 /dev/tty, 1 /dev/console, 2 /dev/ptmx
constexpr unsigned kPtmxMinor = 2;

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

// The controlling terminal's number of a process, field 7 of /proc/<pid>/stat; 0 without one.
dev_t ControllingTerminal(const std::string& strProcess) {
  std::ifstream stat("/proc/" + strProcess + "/stat");
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

// Whether a process other than this one has nDevice as its controlling terminal: a shell's
// terminal, whose keys would go to the record or the shell by chance.
bool IsOtherSessionsTerminal(dev_t nDevice) {
  const std::string strSelf = std::to_string(getpid());
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
    const std::string strName = entry.path().filename().string();
    if (strName.find_first_not_of("0123456789") != std::string::npos || strName == strSelf) continue;
    if (ControllingTerminal(strName) == nDevice) return true;
  }
  return false;
}

}  // namespace

const char* TerminalRefusal(dev_t nDevice) {
  if (IsSystemConsole(nDevice) || nDevice == makedev(kTtyAuxMajor, 1)) return "the system console";
  if (nDevice == makedev(kTtyAuxMajor, 0)) return "the terminal this program runs in";
  if (nDevice == makedev(kTtyAuxMajor, kPtmxMinor)) return "the pseudo-terminal multiplexer";
  if (major(nDevice) == kVirtualConsoleMajor && minor(nDevice) < kFirstSerialMinor) return "a virtual console";
  const dev_t nOwn = ControllingTerminal("self");
  if (nOwn != 0 && nDevice == nOwn) return "the terminal this program runs in";
  if (IsOtherSessionsTerminal(nDevice)) return kOtherSessionsTerminal;
  return nullptr;
}

}  // namespace tobrel
