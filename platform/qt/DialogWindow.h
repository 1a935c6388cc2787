// A dialog: a top-level window with the dialog's caption, icons, font and
// fixed client size, painted in the colours the dialog asks for.
#pragma once

#include <QWidget>

#include "ViewWindow.h"

namespace qtview {

class CDialogWindow final : public QWidget, public CViewWindow {
 public:
  CDialogWindow(CQtView& view, HWND hWnd, const QFont& font);
  QWidget* Widget() override { return this; }

  void ShowText(size_t nAppendedFrom) override;
  void ShowIcons() override;
  void ShowGeometry() override;
  // First shown by the modal run, not as soon as the window has the style.
  void ShowVisibility() override;

 protected:
  void paintEvent(QPaintEvent* pEvent) override;
  void closeEvent(QCloseEvent* pEvent) override;
};

}  // namespace qtview
