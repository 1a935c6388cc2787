// What a window of the text view asks of the view that holds it: the way to
// hand on a person's action, and the screen it draws on. A window built on
// this alone can be tried without a terminal.
#pragma once

#include <functional>

#include "WinTypes.h"

namespace tui {

class CCellHost {
 public:
  virtual ~CCellHost() = default;
  // A person's action on a window, handed on through the window system.
  virtual void Feed(HWND hWnd, const std::function<void()>& action) = 0;
  // True while a person's action on this window is being handed on.
  virtual bool IsFeeding(HWND hWnd) const = 0;
  // Every window draws again, as after a popup over them closes.
  virtual void InvalidateAll() = 0;
  virtual SIZE ScreenSize() const = 0;
};

}  // namespace tui
