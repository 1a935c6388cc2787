#include "Clock.h"

#include <time.h>

#include <cerrno>

namespace bench {

int64_t NowNs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return int64_t{ts.tv_sec} * 1000000000 + ts.tv_nsec;
}

void SleepUntilNs(int64_t nNs) {
  timespec ts{static_cast<time_t>(nNs / 1000000000), static_cast<long>(nNs % 1000000000)};
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
  }
}

}  // namespace bench
