#include "TimerPump.h"

#include <algorithm>
#include <climits>

#include "Clock.h"
#include "Timer.h"

namespace qtview {

CTimerPump::CTimerPump() {
  m_timer.setSingleShot(true);
  m_timer.setTimerType(Qt::PreciseTimer);
  QObject::connect(&m_timer, &QTimer::timeout, [this] { OnTimeout(); });
}

void CTimerPump::Rearm() {
  auto due = win::NextTimerDue();
  if (!due) {
    m_timer.stop();
    return;
  }
  int64_t nWait = std::clamp<int64_t>(*due - win::GetClock().NowMs(), 0, INT_MAX);
  m_timer.start(static_cast<int>(nWait));
}

void CTimerPump::OnTimeout() {
  win::DispatchDueTimer();
  // A tick moves its timer's due time without telling anyone.
  Rearm();
}

}  // namespace qtview
