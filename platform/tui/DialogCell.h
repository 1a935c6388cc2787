// A dialog: its caption on the top line, with the caption's OK and close
// buttons at its right end, over the dialog's own colours.
#pragma once

#include "CellWindow.h"

namespace tui {

class CDialogCell final : public CCellWindow {
 public:
  using CCellWindow::CCellWindow;
  void Draw(CScreen& screen) override;
  bool Mouse(const SInput& in) override;

 private:
  // Where the caption's buttons start.
  int m_nButtons = 0;
};

}  // namespace tui
