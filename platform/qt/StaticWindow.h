// A label, in the colours its dialog gives labels.
#pragma once

#include <QLabel>

#include "ViewWindow.h"

namespace qtview {

class CStaticWindow final : public QLabel, public CViewWindow {
 public:
  CStaticWindow(CQtView& view, HWND hWnd, QWidget* pParent);
  QWidget* Widget() override { return this; }
  void ShowText(size_t nAppendedFrom) override;
  void ShowColors() override;
};

}  // namespace qtview
