// A push button, its caption between brackets; Space or a click pushes it.
#pragma once

#include "CellWindow.h"

namespace tui {

class CButtonCell final : public CCellWindow {
 public:
  using CCellWindow::CCellWindow;
  void Draw(CScreen& screen) override;
  bool Key(const SInput& in) override;
  bool Mouse(const SInput& in) override;
};

}  // namespace tui
