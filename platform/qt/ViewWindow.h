// What every widget of the view does for its window: it shows what the
// window system tells about the window. A person's actions go back through
// the view, through its host interface (CWindowHost::Input).
#pragma once

#include <QWidget>
#include <cstddef>

#include "WinTypes.h"
#include "WindowHost.h"

namespace qtview {

class CViewWindow {
 public:
  CViewWindow(CWindowHost& host, HWND hWnd) : m_rView(host), m_hWnd(hWnd) {}
  virtual ~CViewWindow() = default;
  CViewWindow(const CViewWindow&) = delete;
  CViewWindow& operator=(const CViewWindow&) = delete;

  virtual QWidget* Widget() = 0;

  // nAppendedFrom is win::CWindowObserver::kReplaced or where new text starts.
  virtual void ShowText(size_t /*nAppendedFrom*/) {}
  virtual void ShowItems() {}
  virtual void ShowSelection() {}
  virtual void ShowForm() {}
  virtual void ShowIcons() {}
  virtual void ShowColors() {}
  virtual void ShowTag() {}
  virtual void ShowGeometry();
  virtual void ShowVisibility();
  virtual void ShowEnabled();
  void ShowToolTip();

 protected:
  // The focus a control takes while it is shown.
  void SetShownFocusPolicy(Qt::FocusPolicy policy);

  CWindowHost& m_rView;
  HWND m_hWnd;

 private:
  Qt::FocusPolicy m_shownFocusPolicy = Qt::NoFocus;
};

}  // namespace qtview
