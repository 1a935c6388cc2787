// A group box: a frame with its caption in the top line. It draws only its
// frame, so the controls inside it are left as they are.
#pragma once

#include "CellWindow.h"

namespace tui {

class CGroupBoxCell final : public CCellWindow {
 public:
  using CCellWindow::CCellWindow;
  void Draw(CScreen& screen) override;
};

}  // namespace tui
