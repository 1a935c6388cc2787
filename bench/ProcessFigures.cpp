#include "ProcessFigures.h"

#include <time.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace bench {

double CpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

double ThreadCpuSeconds(std::string_view name) {
  double fSeconds = 0;
  for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
    std::ifstream comm(task.path() / "comm");
    std::string strName;
    std::getline(comm, strName);
    if (strName != name) continue;
    // The first field is the time the thread has run, in nanoseconds.
    std::ifstream schedstat(task.path() / "schedstat");
    uint64_t nNs = 0;
    schedstat >> nNs;
    fSeconds += static_cast<double>(nNs) * 1e-9;
  }
  return fSeconds;
}

std::optional<double> ProcessCpuSeconds(int nPid) {
  std::ifstream stat("/proc/" + std::to_string(nPid) + "/stat");
  std::string strStat;
  if (!std::getline(stat, strStat)) return std::nullopt;
  // The name, in parentheses, may hold blanks; utime and stime are the 14th and 15th fields,
  // the 12th and 13th after it.
  size_t nAfterName = strStat.rfind(')');
  if (nAfterName == std::string::npos) return std::nullopt;
  std::istringstream fields(strStat.substr(nAfterName + 1));
  std::string strSkip;
  for (int i = 0; i < 11; ++i) fields >> strSkip;
  uint64_t nUser = 0, nSystem = 0;
  if (!(fields >> nUser >> nSystem)) return std::nullopt;
  return static_cast<double>(nUser + nSystem) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

size_t RssBytes() {
  std::ifstream statm("/proc/self/statm");
  size_t nSize = 0, nResident = 0;
  statm >> nSize >> nResident;
  return nResident * static_cast<size_t>(sysconf(_SC_PAGESIZE));
}

size_t PeakRssBytes() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::stoull(line.substr(6)) * 1024;
  return 0;
}

void ResetPeakRss() {
  // Linux: writing 5 resets the peak resident size to the current one.
  std::ofstream("/proc/self/clear_refs") << "5";
}

}  // namespace bench
