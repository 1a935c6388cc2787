#include "Clock.h"

#include <chrono>

namespace win {

namespace {
CRealClock g_realClock;
CClock* g_pClock = &g_realClock;
}  // namespace

int64_t CRealClock::NowMs() const {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

int64_t CRealClock::WallMs() const {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

CClock& GetClock() { return *g_pClock; }
void SetClock(CClock* pClock) { g_pClock = pClock ? pClock : &g_realClock; }

}  // namespace win
