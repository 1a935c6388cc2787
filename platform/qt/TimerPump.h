// Runs the window system's timers on real time inside Qt's event loop: one
// single-shot timer to the earliest due time, armed again after every tick
// and whenever the timers change.
#pragma once

#include <QTimer>

namespace qtview {

class CTimerPump {
 public:
  CTimerPump();
  void Rearm();

 private:
  void OnTimeout();

  QTimer m_timer;
};

}  // namespace qtview
