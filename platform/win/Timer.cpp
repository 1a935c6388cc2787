#include "Timer.h"

#include <algorithm>
#include <vector>

#include "Clock.h"
#include "Window.h"
#include "WindowObserver.h"

namespace {

struct CTimerEntry {
  HWND hWnd;
  UINT_PTR nID;
  int64_t nPeriod;
  int64_t nDue;
  uint64_t nSequence;  // orders timers that fall due together
};

std::vector<CTimerEntry> g_timers;
uint64_t g_nSequence = 0;

std::vector<CTimerEntry>::iterator Find(HWND hWnd, UINT_PTR nID) {
  return std::find_if(g_timers.begin(), g_timers.end(),
                      [&](const CTimerEntry& t) { return t.hWnd == hWnd && t.nID == nID; });
}

std::vector<CTimerEntry>::iterator Earliest() {
  return std::min_element(g_timers.begin(), g_timers.end(), [](const CTimerEntry& a, const CTimerEntry& b) {
    return a.nDue != b.nDue ? a.nDue < b.nDue : a.nSequence < b.nSequence;
  });
}

void TimersChanged() {
  win::NotifyObservers([](win::CWindowObserver& o) { o.OnTimersChanged(); });
}

}  // namespace

UINT_PTR SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT nElapse) {
  if (!IsWindow(hWnd)) return 0;
  int64_t nPeriod = std::clamp<UINT>(nElapse, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
  int64_t nDue = win::GetClock().NowMs() + nPeriod;
  auto it = Find(hWnd, nIDEvent);
  if (it != g_timers.end()) {
    it->nPeriod = nPeriod;
    it->nDue = nDue;
    it->nSequence = g_nSequence++;
  } else {
    g_timers.push_back({hWnd, nIDEvent, nPeriod, nDue, g_nSequence++});
  }
  TimersChanged();
  return nIDEvent;
}

BOOL KillTimer(HWND hWnd, UINT_PTR nIDEvent) {
  auto it = Find(hWnd, nIDEvent);
  if (it == g_timers.end()) return FALSE;
  g_timers.erase(it);
  TimersChanged();
  return TRUE;
}

namespace win {

void KillAllTimers(HWND hWnd) {
  if (std::erase_if(g_timers, [&](const CTimerEntry& t) { return t.hWnd == hWnd; }) > 0) TimersChanged();
}

std::optional<UINT> GetTimerPeriod(HWND hWnd, UINT_PTR nIDEvent) {
  auto it = Find(hWnd, nIDEvent);
  if (it == g_timers.end()) return std::nullopt;
  return static_cast<UINT>(it->nPeriod);
}

std::optional<int64_t> NextTimerDue() {
  if (g_timers.empty()) return std::nullopt;
  return Earliest()->nDue;
}

bool DispatchDueTimer() {
  if (g_timers.empty()) return false;
  int64_t nNow = GetClock().NowMs();
  auto it = Earliest();
  if (it->nDue > nNow) return false;
  // Periods missed while the thread was busy collapse into this one tick.
  it->nDue += ((nNow - it->nDue) / it->nPeriod + 1) * it->nPeriod;
  it->nSequence = g_nSequence++;
  HWND hWnd = it->hWnd;
  UINT_PTR nID = it->nID;
  SendMessage(hWnd, WM_TIMER, nID, 0);
  return true;
}

}  // namespace win
