#include "Machine.h"

#include <sys/utsname.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>

namespace bench {

void PrintMachine() {
  std::string strModel = "unknown";
  std::ifstream cpuinfo("/proc/cpuinfo");
  for (std::string line; std::getline(cpuinfo, line);) {
    if (line.rfind("model name", 0) == 0) {
      strModel = line.substr(line.find(':') + 2);
      break;
    }
  }
  utsname uts{};
  uname(&uts);
  char szDate[64] = {};
  std::time_t now = std::time(nullptr);
  std::strftime(szDate, sizeof szDate, "%Y-%m-%d %H:%M:%S UTC", std::gmtime(&now));
  std::printf("Machine: %s, %ld cores online, %s %s %s, %s\n", strModel.c_str(), sysconf(_SC_NPROCESSORS_ONLN),
              uts.sysname, uts.release, uts.machine, szDate);
}

}  // namespace bench
