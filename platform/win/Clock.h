// The clock that window timers run on: real time for the desktop, virtual
// time for tests.
#pragma once

#include <cstdint>

namespace win {

class CClock {
 public:
  virtual ~CClock() = default;
  virtual int64_t NowMs() const = 0;
};

class CRealClock final : public CClock {
 public:
  int64_t NowMs() const override;
};

// Time that moves only when Advance() is called.
class CVirtualClock final : public CClock {
 public:
  int64_t NowMs() const override { return m_nNow; }
  // Moves time forward by nMs, delivering every timer tick that falls due on
  // the way, in time order, each through its window's message dispatch.
  void Advance(int64_t nMs);

 private:
  int64_t m_nNow = 0;
};

// The clock in use; a real clock unless another has been chosen.
CClock& GetClock();
void SetClock(CClock* pClock);

}  // namespace win
