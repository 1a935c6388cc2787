// What a view of the window system is told. Every change to what a window
// shows reaches the observers after it has been made.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "WinTypes.h"

namespace win {

class CWindowObserver {
 public:
  static constexpr size_t kReplaced = std::u16string::npos;

  virtual ~CWindowObserver() = default;
  virtual void OnWindowCreated(HWND) {}
  virtual void OnWindowDestroyed(HWND) {}
  // nAppendedFrom is the index where new text starts, or kReplaced.
  virtual void OnTextChanged(HWND, size_t /*nAppendedFrom*/) {}
  virtual void OnItemsChanged(HWND) {}
  virtual void OnSelectionChanged(HWND) {}
  // A record box shows its text in another form.
  virtual void OnFormChanged(HWND) {}
  virtual void OnVisibilityChanged(HWND) {}
  virtual void OnEnabledChanged(HWND) {}
  virtual void OnGeometryChanged(HWND) {}
  virtual void OnIconChanged(HWND) {}
  virtual void OnToolTipChanged(HWND) {}
  // An edit box's tag (GetEditTag).
  virtual void OnTagChanged(HWND) {}
  virtual void OnFocusChanged(HWND /*hOld*/, HWND /*hNew*/) {}
  virtual void OnTimersChanged() {}
  // A menu is tracked: it opened, its highlighted item or its items changed,
  // or it closed. GetTrackedMenu tells where it stands and what is highlighted.
  virtual void OnMenuOpened(HMENU) {}
  virtual void OnMenuChanged(HMENU) {}
  virtual void OnMenuClosed(HMENU) {}
};

void AddWindowObserver(CWindowObserver* pObserver);
void RemoveWindowObserver(CWindowObserver* pObserver);

// Calls fn(observer) for every observer.
template <typename F>
void NotifyObservers(F&& fn);

namespace detail {
const std::vector<CWindowObserver*>& Observers();
}

template <typename F>
void NotifyObservers(F&& fn) {
  // A copy, so an observer may remove itself while being told.
  auto observers = detail::Observers();
  for (CWindowObserver* p : observers) fn(*p);
}

}  // namespace win
