// The monotonic clock every measurement is taken on.
#pragma once

#include <cstdint>

namespace bench {

int64_t NowNs();
void SleepUntilNs(int64_t nNs);

}  // namespace bench
