// CPU and memory of this process, read from /proc.
#pragma once

#include <cstddef>
#include <string_view>

namespace bench {

// Every thread of this process, the serial library's reader included.
double CpuSeconds();
// The run time of this process's threads of that name, summed.
double ThreadCpuSeconds(std::string_view name);
size_t RssBytes();
// The highest resident size of this process since the last ResetPeakRss.
size_t PeakRssBytes();
void ResetPeakRss();

}  // namespace bench
