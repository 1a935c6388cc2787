// CPU and memory of this process, read from /proc.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace bench {

// Every thread of this process, the serial library's reader included.
double CpuSeconds();
// The run time of this process's threads of that name, summed.
double ThreadCpuSeconds(std::string_view name);
// Every thread of another process (user and system time), while it runs.
std::optional<double> ProcessCpuSeconds(int nPid);
size_t RssBytes();
// The highest resident size of this process since the last ResetPeakRss.
size_t PeakRssBytes();
void ResetPeakRss();

}  // namespace bench
