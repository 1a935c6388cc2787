// A group box: a frame with a title over the controls it groups, which stay
// reachable through it.
#pragma once

#include <QGroupBox>

#include "ViewWindow.h"

namespace qtview {

class CGroupBoxWindow final : public QGroupBox, public CViewWindow {
 public:
  CGroupBoxWindow(CWindowHost& host, HWND hWnd, QWidget* pParent);
  QWidget* Widget() override { return this; }
  void ShowText(size_t nAppendedFrom) override;
  void ShowColors() override;
};

}  // namespace qtview
