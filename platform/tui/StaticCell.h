// A label, left-aligned, in the dialog's colours.
#pragma once

#include "CellWindow.h"

namespace tui {

class CStaticCell final : public CCellWindow {
 public:
  using CCellWindow::CCellWindow;
  void Draw(CScreen& screen) override;
};

}  // namespace tui
