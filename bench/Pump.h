// Delivering the dialog's timer ticks on real time.
#pragma once

#include <cstdint>
#include <functional>

namespace bench {

// Delivers timer ticks on real time until bDone() holds after a tick or the
// deadline passes; onTick runs after each tick.
void PumpTimers(const std::function<bool()>& bDone, int64_t nDeadlineNs, const std::function<void()>& onTick = {});

}  // namespace bench
