// A label, in the colours its dialog gives labels. A text a little wider
// than its rectangle is shown a point smaller at most, where that keeps it
// on one line.
#pragma once

#include <QLabel>

#include "ViewWindow.h"

namespace qtview {

class CStaticWindow final : public QLabel, public CViewWindow {
 public:
  CStaticWindow(CWindowHost& host, HWND hWnd, QWidget* pParent);
  QWidget* Widget() override { return this; }
  void ShowText(size_t nAppendedFrom) override;
  void ShowColors() override;
  void ShowGeometry() override;

 private:
  void FitFont();
};

}  // namespace qtview
