// A push button: a click reaches the dialog as the button's click.
#pragma once

#include <QPushButton>

#include "ViewWindow.h"

namespace qtview {

class CButtonWindow final : public QPushButton, public CViewWindow {
 public:
  CButtonWindow(CWindowHost& host, HWND hWnd, QWidget* pParent);
  QWidget* Widget() override { return this; }
  void ShowText(size_t nAppendedFrom) override;
};

}  // namespace qtview
