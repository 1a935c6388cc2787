// The open pop-up menu as a QMenu built from the window system's menu: its
// items with their mnemonics, checks (a radio check in an exclusive group),
// grayed items and separators, and the highlighted item as the active one.
// The keys, the pointer over an item, a pick and a close go to the window
// system's tracking as win::input, which decides what they do.
#pragma once

#include <QMenu>

#include "WinTypes.h"

namespace qtview {

class CQtView;

class CMenuPopup final : public QMenu {
 public:
  CMenuPopup(CQtView& view, HMENU hMenu, HWND hOwner, QWidget* pParent);
  // Shows the menu's items and highlight as they are now.
  void ShowState();

 protected:
  void keyPressEvent(QKeyEvent* pEvent) override;

 private:
  void Build();
  template <typename F>
  void Input(F&& action);

  CQtView& m_rView;
  HMENU m_hMenu;
  HWND m_hOwner;
};

}  // namespace qtview
