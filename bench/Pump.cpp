#include "Pump.h"

#include <algorithm>

#include "BenchView.h"
#include "Clock.h"
#include "Timer.h"

namespace bench {

void PumpTimers(const std::function<bool()>& bDone, int64_t nDeadlineNs, const std::function<void()>& onTick) {
  while (View().RunEvents(nDeadlineNs)) {
    if (onTick) onTick();
    if (bDone() || NowNs() >= nDeadlineNs) return;
  }
  for (;;) {
    while (win::DispatchDueTimer()) {
      if (onTick) onTick();
      if (bDone()) return;
    }
    int64_t nNow = NowNs();
    if (nNow >= nDeadlineNs) return;
    int64_t nWake = nDeadlineNs;
    // Timers are due on whole milliseconds of the monotonic clock.
    if (auto due = win::NextTimerDue()) nWake = std::min(nWake, *due * 1000000);
    if (nWake > nNow) SleepUntilNs(nWake);
  }
}

}  // namespace bench
