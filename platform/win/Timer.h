// Window timers with the platform's rules: one per window and id, a period
// clamped to 10 ms .. 0x7FFFFFFF ms, setting a running id restarts it, and a
// timer that falls behind delivers one tick, never a burst.
#pragma once

#include <cstdint>
#include <optional>

#include "WinTypes.h"

UINT_PTR SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT nElapse);
BOOL KillTimer(HWND hWnd, UINT_PTR nIDEvent);

namespace win {

void KillAllTimers(HWND hWnd);
// The period of a running timer, after clamping.
std::optional<UINT> GetTimerPeriod(HWND hWnd, UINT_PTR nIDEvent);
// When the earliest timer falls due, on the current clock.
std::optional<int64_t> NextTimerDue();
// Delivers WM_TIMER for the earliest timer that is due now; false if none is.
bool DispatchDueTimer();

}  // namespace win
