// Virtual time for tests: it moves only when told to, and delivers the
// window timers that fall due on the way. It sits above the timers, which
// read whatever clock is in use.
#pragma once

#include <cstdint>

#include "Clock.h"

namespace win {

class CVirtualClock final : public CClock {
 public:
  int64_t NowMs() const override { return m_nNow; }
  // The wall time moves with the virtual time from the reading it was set to.
  int64_t WallMs() const override { return m_nWallAtZero + m_nNow; }
  void SetWallMs(int64_t nWallMs) { m_nWallAtZero = nWallMs - m_nNow; }
  // Moves time forward by nMs, delivering every timer tick that falls due on
  // the way, in time order, each through its window's message dispatch.
  void Advance(int64_t nMs);

 private:
  int64_t m_nNow = 0;
  int64_t m_nWallAtZero = 0;
};

}  // namespace win
