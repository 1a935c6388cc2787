// A dialog: a top-level window with the dialog's caption, icons, font and
// fixed client size, painted in the colours the dialog asks for. A dialog
// with an owner (a message box) is modal to the application.
#pragma once

#include <QWidget>

#include "ViewWindow.h"

namespace qtview {

class CDialogWindow final : public QWidget, public CViewWindow {
 public:
  CDialogWindow(CWindowHost& host, HWND hWnd, const QFont& font);
  QWidget* Widget() override { return this; }

  void ShowText(size_t nAppendedFrom) override;
  void ShowIcons() override;
  void ShowGeometry() override;
  // First shown by the modal run, not as soon as the window has the style.
  void ShowVisibility() override;
  // A dialog enabled again (its modal box gone) is the active window again.
  void ShowEnabled() override;

 protected:
  void paintEvent(QPaintEvent* pEvent) override;
  void closeEvent(QCloseEvent* pEvent) override;
};

}  // namespace qtview
