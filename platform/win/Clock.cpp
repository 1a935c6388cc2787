#include "Clock.h"

#include <algorithm>
#include <chrono>

#include "Timer.h"

namespace win {

namespace {
CRealClock g_realClock;
CClock* g_pClock = &g_realClock;
}  // namespace

int64_t CRealClock::NowMs() const {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void CVirtualClock::Advance(int64_t nMs) {
  int64_t nTarget = m_nNow + nMs;
  while (auto due = NextTimerDue()) {
    if (*due > nTarget) break;
    m_nNow = std::max(m_nNow, *due);
    DispatchDueTimer();
  }
  m_nNow = std::max(m_nNow, nTarget);
}

CClock& GetClock() { return *g_pClock; }
void SetClock(CClock* pClock) { g_pClock = pClock ? pClock : &g_realClock; }

}  // namespace win
