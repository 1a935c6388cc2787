// The clock that window timers run on: real time for the desktop, virtual
// time for tests (VirtualClock.h). The clock knows nothing of timers. Its
// wall time is what a person reads off a watch: the times a record shows.
#pragma once

#include <cstdint>

namespace win {

class CClock {
 public:
  virtual ~CClock() = default;
  virtual int64_t NowMs() const = 0;
  // Milliseconds since 1970 (UTC).
  virtual int64_t WallMs() const = 0;
};

class CRealClock final : public CClock {
 public:
  int64_t NowMs() const override;
  int64_t WallMs() const override;
};

// The clock in use; a real clock unless another has been chosen.
CClock& GetClock();
void SetClock(CClock* pClock);

}  // namespace win
