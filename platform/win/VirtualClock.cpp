#include "VirtualClock.h"

#include <algorithm>

#include "Timer.h"

namespace win {

void CVirtualClock::Advance(int64_t nMs) {
  int64_t nTarget = m_nNow + nMs;
  while (auto due = NextTimerDue()) {
    if (*due > nTarget) break;
    m_nNow = std::max(m_nNow, *due);
    DispatchDueTimer();
  }
  m_nNow = std::max(m_nNow, nTarget);
}

}  // namespace win
