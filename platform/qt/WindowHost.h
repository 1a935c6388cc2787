// What a widget of the desktop view asks of the view that holds it: the way
// to hand on a person's action, and a guard for the changes it applies. A
// widget built on this alone can be tried without the view.
#pragma once

#include <functional>

#include "WinTypes.h"

namespace qtview {

class CWindowHost {
 public:
  virtual ~CWindowHost() = default;
  // A person's action on a window, unless it is the echo of a change the
  // view is applying.
  virtual void Input(HWND hWnd, const std::function<void()>& action) = 0;
  // True while a person's action on this window is being handed on.
  virtual bool IsFeeding(HWND hWnd) const = 0;

  // A change to a widget that must not come back as a person's action.
  class CApplying {
   public:
    explicit CApplying(CWindowHost& host) : m_rHost(host) { m_rHost.BeginApplying(); }
    ~CApplying() { m_rHost.EndApplying(); }
    CApplying(const CApplying&) = delete;
    CApplying& operator=(const CApplying&) = delete;

   private:
    CWindowHost& m_rHost;
  };

 protected:
  virtual void BeginApplying() = 0;
  virtual void EndApplying() = 0;
};

}  // namespace qtview
